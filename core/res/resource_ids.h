#pragma once
// Numeric ids of the program's resources, commands and controls. Shared by the window program,
// the command line and the tests; no Qt here.

namespace res {

// Resources
inline constexpr int IDR_MAINFRAME = 128;  // menu, tool bar, accelerators, icon, document string
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDR_CONTEXT_MENUS = 138;  // the four context pop-ups below
inline constexpr int IDB_RECORDER_TREE = 135;  // folder, open folder, message pictures
inline constexpr int IDD_FILE_PROPERTIES = 141;
inline constexpr int IDS_APP_NAME = 57344;  // "QP2400"
inline constexpr int IDS_OLE_INIT_FAILED = 61446;

// Pop-ups of menu 138, by position
inline constexpr int POPUP_CONTEXT_FILE = 0;    // file list, rows selected
inline constexpr int POPUP_CONTEXT2_FILE = 1;   // recorder tree, message
inline constexpr int POPUP_CONTEXT_VIEW = 2;    // file list, nothing selected
inline constexpr int POPUP_CONTEXT_FOLDER = 3;  // folder tree

// Commands of the main menu and tool bar
inline constexpr int ID_PORT_COM2 = 32783;
inline constexpr int ID_PORT_COM1 = 32784;
inline constexpr int ID_PORT_COM3 = 32797;
inline constexpr int ID_PORT_COM4 = 32798;
inline constexpr int ID_PORT_COM5 = 32799;
inline constexpr int ID_PORT_COM6 = 32800;
inline constexpr int ID_PORT_COM7 = 32801;
inline constexpr int ID_PORT_COM8 = 32802;
inline constexpr int ID_PORT_COM9 = 32803;
inline constexpr int ID_PLAY = 32788;
inline constexpr int ID_SAVE_TO_WAV = 32789;
inline constexpr int ID_SET_TIME = 32790;
inline constexpr int ID_CONNECT = 32791;
inline constexpr int ID_SET_DATE = 32792;
inline constexpr int ID_REFRESH = 32796;
// Every recording not yet in the chosen folder, fetched into it.
inline constexpr int ID_DOWNLOAD_ALL_NEW = 32804;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;

// View styles of the file list
inline constexpr int ID_VIEW_SMALLICON = 59408;
inline constexpr int ID_VIEW_LARGEICON = 59409;
inline constexpr int ID_VIEW_LIST = 59410;
inline constexpr int ID_VIEW_DETAILS = 59411;

// Recorder tree context menu
inline constexpr int ID_MESSAGE_PLAY = 32793;
inline constexpr int ID_MESSAGE_SAVE_TO_WAV = 32794;
inline constexpr int ID_MESSAGE_DELETE = 32785;

// File list and folder tree context menus
inline constexpr int ID_FILE_DELETE = 32771;  // also "Delete" of the folder menu
inline constexpr int ID_FILE_RENAME = 32772;  // also "ReName" of the folder menu
inline constexpr int ID_FILE_INFORMATION = 32773;
inline constexpr int ID_FOLDER_NEW = 32776;

// Status bar
inline constexpr int ID_SEPARATOR = 0;
inline constexpr int ID_INDICATOR_MESSAGE_DATE = 101;
// The port in use, and what a connect found there.
inline constexpr int ID_INDICATOR_PORT = 102;
inline constexpr int ID_INDICATOR_CAPS = 0xE701;
inline constexpr int ID_INDICATOR_NUM = 0xE702;
inline constexpr int ID_INDICATOR_SCRL = 0xE703;

// Child window ids
inline constexpr int AFX_IDW_TOOLBAR = 0xE800;
inline constexpr int AFX_IDW_STATUS_BAR = 0xE801;
inline constexpr int AFX_IDW_PANE_FIRST = 0xE900;

// Progress window controls
inline constexpr int IDC_PROGRESS_CANCEL = 10;
inline constexpr int IDC_PROGRESS_TEXT = 11;
inline constexpr int IDC_PROGRESS_BAR = 12;

// File properties dialog controls
inline constexpr int IDC_PROP_NAME = 1000;
inline constexpr int IDC_PROP_READONLY = 1002;
inline constexpr int IDC_PROP_HIDDEN = 1003;
inline constexpr int IDC_PROP_ARCHIVE = 1004;
inline constexpr int IDC_PROP_SYSTEM = 1005;
inline constexpr int IDC_PROP_KIND = 1007;
inline constexpr int IDC_PROP_LOCATION = 1008;
inline constexpr int IDC_PROP_SIZE = 1009;
inline constexpr int IDC_PROP_DOSNAME = 1010;
inline constexpr int IDC_PROP_CREATED = 1014;
inline constexpr int IDC_PROP_MODIFIED = 1015;
inline constexpr int IDC_PROP_ACCESSED = 1016;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// The download thread's completion message
inline constexpr int WM_USER = 0x0400;
inline constexpr int WM_DOWNLOAD_COMPLETE = WM_USER + 100;

}  // namespace res
