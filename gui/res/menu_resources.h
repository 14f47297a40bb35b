#pragma once
#include <vector>

// The program's menus, accelerators and tool bar as data, by resource id. The window program
// builds its widgets from these tables; tests read them to know what to look for.
namespace res {

// A command item (id and text), a separator (id 0, no text, no children) or a pop-up (text and
// children).
struct MenuItem {
    int id = 0;
    const char* text = nullptr;
    std::vector<MenuItem> children;

    bool IsSeparator() const { return id == 0 && text == nullptr && children.empty(); }
    bool IsPopup() const { return !children.empty(); }
};

// Menu 128, the main menu: its two pop-ups "Menu(&M)" and "Information".
const std::vector<MenuItem>& MainMenu();
// Menu 138: the four context pop-ups, in their positions (POPUP_CONTEXT_FILE ...).
const std::vector<MenuItem>& ContextMenus();

// The port items of the "Port" sub-menu: port n (1..9) has command PortCommand(n); 0 for none.
int PortCommand(int port);
// The port of a port command, 0 when id is none.
int PortOfCommand(int id);

// Tool bar 128, left to right; 0 is a separator. Picture k of the tool bar strip belongs to the
// k-th button that is not a separator.
const std::vector<int>& ToolBarButtons();
inline constexpr int kToolBarButtonWidth = 16;
inline constexpr int kToolBarButtonHeight = 15;

// Accelerators 128.
struct Accelerator {
    bool alt = false;
    int key = 0;  // an upper-case letter or one of the function keys below
    int id = 0;
};
inline constexpr int kKeyF5 = 0x74;  // the function key's traditional virtual-key code
const std::vector<Accelerator>& Accelerators();

// The status-line prompt of a command, "prompt\ntool tip"; nullptr when it has none.
const char* CommandPrompt(int id);
// A name for each command (its id's name, e.g. "ID_CONNECT"): the object name of its action.
const char* CommandName(int id);

}  // namespace res
