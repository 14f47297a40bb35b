#pragma once
// Every text the user sees, in one place. They are the program's own words, kept exactly as
// they have always read (spelling included): users and their scripts know them.
// No Qt here: the core, the command line and the window program share this table.

namespace text {

// Application
inline constexpr const char* kAppName = "QP2400";
inline constexpr const char* kMainTitle = "Sonoret Manager";
inline constexpr const char* kDocString = "QP2400\n\nQP2400\n\n\nQP2400.Document\nQP2400 Document";
inline constexpr const char* kAboutCaption = "About Sonoret Manager";
// The About box's first line is kMainTitle, a space and the version of sonoret_version.h:
// "Sonoret Manager 1.0".
inline constexpr const char* kOleInitFailed =
    "OLE 초기화에 실패하였습니다. OLE 라이브러리의 버전이 올바른지 확인하십시오.";

// Settings (application profile)
inline constexpr const char* kProfileOrganisation = "QP2400";
inline constexpr const char* kProfileApplication = "QP2400";
inline constexpr const char* kSectionComm = "COMM";
inline constexpr const char* kSectionGlobal = "GLOBAL";
inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kValuePort = "PORT";
inline constexpr const char* kValuePath = "PATH";
inline constexpr const char* kValueLeftPath = "LeftPth";
inline constexpr const char* kValueX = "X";
inline constexpr const char* kValueY = "Y";
inline constexpr const char* kWorkingFolderName = "Source";
// "COMM"/"DEVICE": a port of this machine the user chose by its name in the Port menu.
inline constexpr const char* kValueDevice = "DEVICE";
// The main window's place and layout, in a group of its own: "Geometry=x,y,w,h",
// "Maximized=true", "Splitter=200,300,200", "ViewStyle=Report".
inline constexpr const char* kSectionWindow = "Window";
inline constexpr const char* kValueGeometry = "Geometry";
inline constexpr const char* kValueMaximized = "Maximized";
inline constexpr const char* kValueSplitter = "Splitter";
inline constexpr const char* kValueViewStyle = "ViewStyle";
// The file list's view styles by their mode: large icons, report, small icons, list.
inline constexpr const char* kViewStyleValues[4] = {"LargeIcon", "Report", "SmallIcon", "List"};

// Recorder link
inline constexpr const char* kSerialInitError =
    "Serial Port Initialize Error\nCheck Your Commnunication Cable.";
inline constexpr const char* kCommError = "Communition ERROR!\n\nCheck Your Commnunication Cable.";
// Set Time has always shown it without the final full stop.
inline constexpr const char* kCommErrorNoStop =
    "Communition ERROR!\n\nCheck Your Commnunication Cable";
inline constexpr const char* kConvertFailed = " Convert Failed ";
inline constexpr const char* kDeleteQuestion = "Do You Really Delete Message?";
inline constexpr const char* kDeleteCaption = "Delete Message";
inline constexpr const char* kDeleteFailed = "Delete Failed.\nCheck Your Commnunication Cable.";
// The port error goes on with the device and the system's reason: "(/dev/ttyS0: no such device)".
inline constexpr const char* kSerialInitReason = "\n(%s)";  // printf format, the reason

// Progress windows: caption and text line of each long operation
inline constexpr const char* kProgressDefaultTitle = "Progress";
inline constexpr const char* kProgressCancel = " Cancel ";
inline constexpr const char* kConnectCaption = "Connect";
inline constexpr const char* kConnectText = "Sonoret Manager Connecting...";
inline constexpr const char* kReceiveCaption = "Receive";
inline constexpr const char* kReceiveText = "Receive a Message From Voice Recorder";
inline constexpr const char* kConvertCaption = "Convert";
inline constexpr const char* kConvertText = "Message Converting...";

// Main frame
inline constexpr const char* kReady = "Ready";
inline constexpr const char* kMessageDateTime = "Message Date&Time";  // string 101
inline constexpr const char* kToolBarTitle = "ToolBar";
inline constexpr const char* kMenuMain = "Menu(&M)";
inline constexpr const char* kMenuPort = "Port";
inline constexpr const char* kMenuConnect = "Connect(&C)";
inline constexpr const char* kMenuPlay = "Play";
inline constexpr const char* kMenuSaveToWav = "Save to Wav File";
inline constexpr const char* kMenuSetTime = "SetTime(&T)";
inline constexpr const char* kMenuSetDate = "SetDate(&D)";
inline constexpr const char* kMenuRefresh = "Refresh(F5)";
inline constexpr const char* kMenuExit = "Exit(&X)";
inline constexpr const char* kMenuInformation = "Information";
inline constexpr const char* kMenuAbout = "About(&A)...";
inline constexpr const char* kMenuDelete = "Delete";
inline constexpr const char* kMenuDownloadAllNew = "Download All New…";

// Status-line prompts; the part after the line break is the tool tip.
inline constexpr const char* kPromptSetTime = "Set RecorderTime On SystemTime  \nSet Time";
inline constexpr const char* kPromptConnect = "Connect to Recorder \nConnect";
inline constexpr const char* kPromptSetDate = "Set RecorderDate On SystemDate \nSet Date";
inline constexpr const char* kPromptRefresh = "Refresh on file list \nRefresh";
inline constexpr const char* kPromptSmallIcon = "View Style On Small Icon  \nSmall Icon";
inline constexpr const char* kPromptLargeIcon = "View Style On Large Icon  \nLarge Icon";
inline constexpr const char* kPromptList = "View Style On List  \nList";
inline constexpr const char* kPromptReport = "View Style On Report  \nReport";
inline constexpr const char* kPromptAbout = "Display Program Information\nAbout";
inline constexpr const char* kPromptExit = "Exit \nExit";
inline constexpr const char* kPromptDownloadAllNew =
    "Download Every New Recording Into a Folder \nDownload All New";

inline constexpr const char* kViewSmallIcon = "Small Icon";
inline constexpr const char* kViewLargeIcon = "Large Icon";
inline constexpr const char* kViewList = "List";
inline constexpr const char* kViewReport = "Report";
inline constexpr const char* kViewStyle = "View Style";

// Main frame: the status bar's port pane (printf formats). The port by its name and device
// ("COM3 /dev/ttyS2"); after a connect with the recorder's variant and its messages; when it
// could not be opened, the device and the system's reason ("COM3 /dev/ttyS2: no such device").
inline constexpr const char* kPortPaneOpen = "%s %s";
inline constexpr const char* kPortPaneConnected = "%s - mode %d, %d messages";
inline constexpr const char* kPortPaneConnectedOne = "%s - mode %d, 1 message";
inline constexpr const char* kPortPaneFailed = "%s %s";
// A port chosen by name that could not be opened is named as the Port menu showed it, before
// the device and the reason: "(USB-Serial Controller (067b:2303), /dev/serial/by-id/...: no
// such device)".
inline constexpr const char* kNamedPortReason = "%s, %s";

// Main frame: what the recorder commands tell beyond their own texts (printf formats).
// The deleted message is named under the question: "2 File - 03: 12-25 14:05 (SP-1:07)".
inline constexpr const char* kDeleteMessageNaming = "%s\n\n%s - %s";
// Several selected: each deleted message on a line of its own under the question.
inline constexpr const char* kDeleteMessageMore = "\n%s - %s";
inline constexpr const char* kNoWorkingFolder =
    "There is no folder on this PC for the recorder's messages:\n%s\n\n"
    "Play, Save to Wav File, Download All New and Delete cannot be used.";
inline constexpr const char* kMessageFileWriteFailed =
    "The message could not be saved on this PC:\n%s";
inline constexpr const char* kPlayOpenFailed =
    "No program on this PC opens the message for playing:\n%s";
inline constexpr const char* kSettingsFileUnusable =
    "The settings file %s cannot be read: %s.\n\n"
    "The program runs on its default settings and will not change that file.";
inline constexpr const char* kSettingsBadPort =
    "The setting %s in %s is not a port from 1 to 9.\n\nCOM%d is used.";
// Why a file cannot be the settings file, in the window program's words (the second %s above).
inline constexpr const char* kSettingsIsFolder = "it is a folder, not a file";
inline constexpr const char* kSettingsIsDevice = "it is a device, not a file";
inline constexpr const char* kSettingsIsPipe = "it is a pipe, not a file";
inline constexpr const char* kSettingsNotRegular = "it is not a regular file";
inline constexpr const char* kSettingsTooLong =  // printf format, the size
    "it is %ju bytes long, more than a settings file can be";
// The same in the command line's words: the file, and its size limit in KiB.
inline constexpr const char* kCliSettingsNotRegular = "the settings file %s is not a regular file";
inline constexpr const char* kCliSettingsTooLarge = "the settings file %s is larger than %ju KiB";
inline constexpr const char* kCliSettingsUnreadable = "the settings file %s cannot be read (%s)";
// The saved port the command line cannot use: the key, its value, the group, the file, the
// highest port.
inline constexpr const char* kCliSettingsBadPort =
    "%s=%s in [%s] of %s is not a port number from 1 to %d";
// A --format (or -o extension) this build cannot write: the format's word.
inline constexpr const char* kFormatNotInThisBuild =
    "%s is not available in this build, which writes WAV only";
// `sonoret ports` where the system shows none.
inline constexpr const char* kCliNoSerialPorts = "No serial ports found.";

// Save As dialog
inline constexpr const char* kSaveFilter = " Wave File( *.wav ) | *.wav | Other ( *.* ) | *.* || ";
inline constexpr const char* kWavExtension = "wav";

// Recorder tree
inline constexpr const char* kFolderBaseNames[5] = {"1 File", "2 File", "3 File", "4 File",
                                                    "5 File"};
inline constexpr const char* kQualitySP = "SP";
inline constexpr const char* kQualityMP = "MP";
inline constexpr const char* kQualityLP = "LP";

// Context menus (menu 138)
inline constexpr const char* kPopupContextFile = "Context File";
inline constexpr const char* kPopupContext2File = "Context2 File";
inline constexpr const char* kPopupContextView = "Context View";
inline constexpr const char* kPopupContextFolder = "Context Folder";
inline constexpr const char* kMenuRename = "ReName";
inline constexpr const char* kMenuFileInformation = "Information";
inline constexpr const char* kMenuNewFolder = "New Folder";

// Folder tree and folder operations
inline constexpr const char* kNewFolderName = "New Folder";
inline constexpr const char* kPlaceholderItem = "0";
inline constexpr const char* kMakeFolderFailed = "Make Folder Failed.";
inline constexpr const char* kMakeFolderCaption = "Make Folder";
inline constexpr const char* kInputFolderName = "You Must Input FolderName.";
inline constexpr const char* kFolderRenameCaption = "Folder ReName";
inline constexpr const char* kFolderRenameFailedTail =
    " - ReName Failed.\nExisted Folder Name.\nYou Must Input the Different FolderName.";
inline constexpr const char* kFolderRenameFailedCaption = "Folder ReName Failed ";
inline constexpr const char* kDeleteFolderQuestionTail = " Do You Want Delete Folder?";
inline constexpr const char* kDeleteFolderQuestionCaption = "Delete Folder ";
inline constexpr const char* kDeleteFolderFailed = "Delete Folder Failed.";
inline constexpr const char* kDeleteFolderCaption = "Delete Folder";
inline constexpr const char* kFileChangeQuestion =  // printf format, the file name
    "Existed the  '%s' File.\nDo You Want Change This File?";
inline constexpr const char* kFileChangeCaption = "File Change ";
inline constexpr const char* kFileCopyFailed = "'%s' File Copy Failed.";  // printf format
inline constexpr const char* kFileCopyCaption = "File Copy";
inline constexpr const char* kFileCopyFormat = "FormatFileCopy";

// File list and file operations
inline constexpr const char* kColumnName = "Name";
inline constexpr const char* kColumnSize = "Size";
inline constexpr const char* kColumnKind = "Kind";
inline constexpr const char* kColumnChangeDate = "Change Date";
inline constexpr const char* kNotDeleteKey = "Not Delete Key!";
inline constexpr const char* kInputFileName = "You Must Input FileName.";
inline constexpr const char* kFileRenameCaption = "File ReName";
inline constexpr const char* kFileRenameFailedTail =
    " - Failed File ReName.\nExisted File Name.\nYou Must Input the Different FileName.";
inline constexpr const char* kFileRenameFailedCaption = "File ReName Failed ";
inline constexpr const char* kDeleteFileQuestion = "Do You Want Delete File?";
inline constexpr const char* kDeleteFilesQuestion = "Do You Want Delete %d File?";  // printf
inline constexpr const char* kDeleteFileCaption = "Delete File";
inline constexpr const char* kDeleteFileFailed = "Delete File Failed.";

// File properties dialog (template 141)
inline constexpr const char* kPropertiesTitle = "Register Information";
inline constexpr const char* kPropType = "Type :";
inline constexpr const char* kPropLocation = "Location :";
inline constexpr const char* kPropSize = "Size :";
inline constexpr const char* kPropDosName = "Ms-Dos Name :";
inline constexpr const char* kPropBuildDate = "Build Date :";
inline constexpr const char* kPropChangeDate = "Change Date :";
inline constexpr const char* kPropUsedDate = "Used Date :";
inline constexpr const char* kPropAttribute = "Attribute :";
inline constexpr const char* kPropReadOnly = "ReadOnly";
inline constexpr const char* kPropHidden = "Hide";
inline constexpr const char* kPropArchive = "Record";
inline constexpr const char* kPropSystem = "System File";
inline constexpr const char* kPropUnknown = "(Unknown)";
inline constexpr const char* kPropPluralKind = "Plural Kind";
inline constexpr const char* kOK = "OK";
inline constexpr const char* kCancel = "Cancel";

// File browser: renames the file system cannot take. A name holding a path separator, or
// "." or "..", would move the item elsewhere; a refused rename keeps the old name.
inline constexpr const char* kFolderRenameInvalidTail =
    " - ReName Failed.\nInvalid Folder Name.\nYou Must Input the Different FolderName.";
inline constexpr const char* kFolderRenameRefusedTail = " - ReName Failed.";
inline constexpr const char* kFileRenameInvalidTail =
    " - Failed File ReName.\nInvalid File Name.\nYou Must Input the Different FileName.";
inline constexpr const char* kFileRenameRefusedTail = " - Failed File ReName.";

// File browser: the line a question adds about what it will destroy, and the reasons a delete
// or a copy was refused (each after the usual first line).
inline constexpr const char* kAndMoreNames = "and %d more";  // after the first few names
inline constexpr const char* kFolderHolds =                  // files, then folders
    "It Holds %d File(s) and %d Folder(s).";
inline constexpr const char* kFolderHoldsMany = "It Holds More Than %d Files and Folders.";
inline constexpr const char* kFolderEmpty = "It Is Empty.";
inline constexpr const char* kFolderIsLink =
    "It Is a Link: Only the Link Is Deleted, Not the Folder It Leads To.";
inline constexpr const char* kFolderIsMountPoint =  // printf format, the folder
    "'%s' Is a Mount Point: Nothing Was Deleted.";
inline constexpr const char* kCopyNotRegularFile = "It Is Not a Regular File.";
inline constexpr const char* kAlreadyInFolder = "Already in This Folder, Not Copied:";

// Status bar lock-key indicators, and the About box's second line
inline constexpr const char* kIndicatorCaps = "CAP";
inline constexpr const char* kIndicatorNum = "NUM";
inline constexpr const char* kIndicatorScroll = "SCRL";
inline constexpr const char* kAboutLine2 = "QP2400 Voice Recorder Manager";

// Download All New: the window's sync into a folder of the user's, and Save to Wav File with
// several messages selected.
inline constexpr const char* kSectionDownload = "Download";
inline constexpr const char* kValueFolder = "Folder";
inline constexpr const char* kValueFormat = "Format";
inline constexpr const char* kDefaultDownloadFolder = "Recordings";  // in the user's music folder
inline constexpr const char* kDownloadCaption = "Download All New";
inline constexpr const char* kDownloadFolderLabel = "Folder :";
inline constexpr const char* kDownloadFormatLabel = "Format :";
inline constexpr const char* kDownloadBrowse = "Browse...";
inline constexpr const char* kDownloadBrowseCaption = "Folder of the Recordings";
inline constexpr const char* kSaveSeveralCaption = "Save to Wav File: Choose a Folder";
// The formats as the dialog offers them, in the order of AudioFormat.
inline constexpr const char* kFormatNames[5] = {"WAV", "FLAC", "Ogg Vorbis", "Opus", "MP3"};
// The one progress window of a sync or of several messages saved: "Receive 3 of 12 [25%]",
// its text line the message under way and the time left.
inline constexpr const char* kBatchCaption = "%s %d of %d";    // kReceiveCaption, number, all
inline constexpr const char* kBatchText = "%s - %s\n%s left";  // folder, label, time
// What a sync did, and each message it could not get: "1 File - 03: ...: cannot write (...)".
inline constexpr const char* kDownloadSummary = "%d fetched into %s, %d already there.";
inline constexpr const char* kDownloadFailedHead = "\n\n%d failed:";
inline constexpr const char* kDownloadFailedLine = "\n%s - %s: %s";
inline constexpr const char* kSaveSeveralFailed = "%d of %d messages were not saved into %s:";
inline constexpr const char* kDownloadFolderFailed = "Nothing was fetched into the folder:\n%s";
// The recorder tree's tool tip of a message that is in the folder already.
inline constexpr const char* kSyncedToolTip = "%s\nIn the folder as %s";
// Why a message of a sync (or of a save into a folder) was not saved, by the kind of fault.
inline constexpr const char* kFaultCannotWrite = "cannot write";
inline constexpr const char* kFaultCannotConvert = "cannot convert";
inline constexpr const char* kFaultNotOnRecorder = "not on the recorder";
inline constexpr const char* kFaultLine = "the recorder did not answer as it should";

// The device behind port n on this platform: "COMM"/"DEVICE<n>" ("DEVICE3=/dev/ttyUSB0").
inline constexpr const char* kValueDevicePrefix = "DEVICE";

}  // namespace text
