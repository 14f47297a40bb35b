#include "gui/res/menu_resources.h"

#include <array>

#include "core/res/resource_ids.h"
#include "core/res/strings.h"

namespace res {

namespace {

const MenuItem kSeparator{};

constexpr std::array<int, 9> kPortCommands = {ID_PORT_COM1, ID_PORT_COM2, ID_PORT_COM3,
                                              ID_PORT_COM4, ID_PORT_COM5, ID_PORT_COM6,
                                              ID_PORT_COM7, ID_PORT_COM8, ID_PORT_COM9};
constexpr std::array<const char*, 9> kPortNames = {"COM1", "COM2", "COM3", "COM4", "COM5",
                                                   "COM6", "COM7", "COM8", "COM9"};

struct CommandText {
    int id;
    const char* name;
    const char* prompt;
};

constexpr CommandText kCommands[] = {
    {ID_PORT_COM1, "ID_PORT_COM1", nullptr},
    {ID_PORT_COM2, "ID_PORT_COM2", nullptr},
    {ID_PORT_COM3, "ID_PORT_COM3", nullptr},
    {ID_PORT_COM4, "ID_PORT_COM4", nullptr},
    {ID_PORT_COM5, "ID_PORT_COM5", nullptr},
    {ID_PORT_COM6, "ID_PORT_COM6", nullptr},
    {ID_PORT_COM7, "ID_PORT_COM7", nullptr},
    {ID_PORT_COM8, "ID_PORT_COM8", nullptr},
    {ID_PORT_COM9, "ID_PORT_COM9", nullptr},
    {ID_PLAY, "ID_PLAY", nullptr},
    {ID_SAVE_TO_WAV, "ID_SAVE_TO_WAV", nullptr},
    {ID_SET_TIME, "ID_SET_TIME", text::kPromptSetTime},
    {ID_CONNECT, "ID_CONNECT", text::kPromptConnect},
    {ID_SET_DATE, "ID_SET_DATE", text::kPromptSetDate},
    {ID_REFRESH, "ID_REFRESH", text::kPromptRefresh},
    {ID_DOWNLOAD_ALL_NEW, "ID_DOWNLOAD_ALL_NEW", text::kPromptDownloadAllNew},
    {ID_APP_EXIT, "ID_APP_EXIT", text::kPromptExit},
    {ID_APP_ABOUT, "ID_APP_ABOUT", text::kPromptAbout},
    {ID_VIEW_SMALLICON, "ID_VIEW_SMALLICON", text::kPromptSmallIcon},
    {ID_VIEW_LARGEICON, "ID_VIEW_LARGEICON", text::kPromptLargeIcon},
    {ID_VIEW_LIST, "ID_VIEW_LIST", text::kPromptList},
    {ID_VIEW_DETAILS, "ID_VIEW_DETAILS", text::kPromptReport},
    {ID_MESSAGE_PLAY, "ID_MESSAGE_PLAY", nullptr},
    {ID_MESSAGE_SAVE_TO_WAV, "ID_MESSAGE_SAVE_TO_WAV", nullptr},
    {ID_MESSAGE_DELETE, "ID_MESSAGE_DELETE", nullptr},
    {ID_FILE_DELETE, "ID_FILE_DELETE", nullptr},
    {ID_FILE_RENAME, "ID_FILE_RENAME", nullptr},
    {ID_FILE_INFORMATION, "ID_FILE_INFORMATION", nullptr},
    {ID_FOLDER_NEW, "ID_FOLDER_NEW", nullptr},
};

std::vector<MenuItem> PortItems() {
    std::vector<MenuItem> items;
    for (std::size_t i = 0; i < kPortCommands.size(); ++i) {
        items.push_back({kPortCommands[i], kPortNames[i], {}});
    }
    return items;
}

}  // namespace

const std::vector<MenuItem>& MainMenu() {
    static const std::vector<MenuItem> menu = {
        {0,
         text::kMenuMain,
         {
             {0, text::kMenuPort, PortItems()},
             {ID_CONNECT, text::kMenuConnect, {}},
             kSeparator,
             {ID_PLAY, text::kMenuPlay, {}},
             {ID_SAVE_TO_WAV, text::kMenuSaveToWav, {}},
             kSeparator,
             {ID_DOWNLOAD_ALL_NEW, text::kMenuDownloadAllNew, {}},
             kSeparator,
             {ID_SET_TIME, text::kMenuSetTime, {}},
             {ID_SET_DATE, text::kMenuSetDate, {}},
             {ID_REFRESH, text::kMenuRefresh, {}},
             kSeparator,
             {ID_APP_EXIT, text::kMenuExit, {}},
         }},
        {0, text::kMenuInformation, {{ID_APP_ABOUT, text::kMenuAbout, {}}}},
    };
    return menu;
}

const std::vector<MenuItem>& ContextMenus() {
    static const std::vector<MenuItem> menus = {
        {0,
         text::kPopupContextFile,
         {
             {ID_FILE_DELETE, text::kMenuDelete, {}},
             {ID_FILE_RENAME, text::kMenuRename, {}},
             kSeparator,
             {ID_FILE_INFORMATION, text::kMenuFileInformation, {}},
         }},
        {0,
         text::kPopupContext2File,
         {
             {ID_MESSAGE_PLAY, text::kMenuPlay, {}},
             kSeparator,
             {ID_MESSAGE_SAVE_TO_WAV, text::kMenuSaveToWav, {}},
             kSeparator,
             {ID_MESSAGE_DELETE, text::kMenuDelete, {}},
         }},
        {0,
         text::kPopupContextView,
         {
             {0,
              text::kViewStyle,
              {
                  {ID_VIEW_LARGEICON, text::kViewLargeIcon, {}},
                  {ID_VIEW_SMALLICON, text::kViewSmallIcon, {}},
                  {ID_VIEW_LIST, text::kViewList, {}},
                  {ID_VIEW_DETAILS, text::kViewReport, {}},
              }},
         }},
        {0,
         text::kPopupContextFolder,
         {
             {ID_FOLDER_NEW, text::kMenuNewFolder, {}},
             {ID_FILE_DELETE, text::kMenuDelete, {}},
             {ID_FILE_RENAME, text::kMenuRename, {}},
         }},
    };
    return menus;
}

int PortCommand(int port) {
    if (port < 1 || port > static_cast<int>(kPortCommands.size())) return 0;
    return kPortCommands[port - 1];
}

int PortOfCommand(int id) {
    for (std::size_t i = 0; i < kPortCommands.size(); ++i) {
        if (kPortCommands[i] == id) return static_cast<int>(i) + 1;
    }
    return 0;
}

const std::vector<int>& ToolBarButtons() {
    static const std::vector<int> buttons = {
        ID_CONNECT,
        ID_DOWNLOAD_ALL_NEW,
        0,
        ID_SET_TIME,
        ID_SET_DATE,
        0,
        ID_VIEW_LARGEICON,
        ID_VIEW_SMALLICON,
        ID_VIEW_LIST,
        ID_VIEW_DETAILS,
        0,
        ID_REFRESH,
    };
    return buttons;
}

const std::vector<Accelerator>& Accelerators() {
    static const std::vector<Accelerator> accelerators = {
        {true, 'C', ID_CONNECT},
        {true, 'T', ID_SET_TIME},
        {true, 'D', ID_SET_DATE},
        {false, kKeyF5, ID_REFRESH},
    };
    return accelerators;
}

const char* CommandPrompt(int id) {
    for (const auto& command : kCommands) {
        if (command.id == id) return command.prompt;
    }
    return nullptr;
}

const char* CommandName(int id) {
    for (const auto& command : kCommands) {
        if (command.id == id) return command.name;
    }
    return nullptr;
}

}  // namespace res
