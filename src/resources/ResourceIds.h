#pragma once

// Numeric ids of the dialog templates, strings and icons, and the names of
// the controls that code or tests address, once per template: the same
// number means other controls in other templates. Templates, windows and
// tests use these names; the numbers are what the rest of the system knows.
enum ResourceId : int
{
    IDD_ABOUTBOX = 100,
    IDS_ABOUTBOX = 101,
    IDD_TAVELIN_DIALOG = 102,
    IDP_SOCKETS_INIT_FAILED = 103,
    IDR_MAINFRAME = 128,
    IDD_QUEUEDMAIL = 129,
    IDD_MAILSELECT = 130,
    IDD_TITLE = 134,
    IDD_FILERENAME = 135,
};

// Buttons that end a dialog, as every dialog numbers them.
enum StandardControlId : int
{
    IDOK = 1,
    IDCANCEL = 2,
    IDC_STATIC = -1, // a control that code never addresses
};

// The controls of every property sheet's frame.
namespace SheetIds {
enum : int
{
    IDC_TABS = 12320,  // the tab control that holds the pages
    IDC_APPLY = 12321, // "適用"
};
}

// Template 102, the main window.
namespace MainIds {
enum : int
{
    IDC_LIST = 1004,
    IDC_ADD = 1006,
    IDC_RENAME = 1008,
    IDC_DELETE = 1010,
    IDC_SAVE = 1013,
    IDC_COMMON = 1016,
    IDC_ADDRESS = 1019,
    IDC_LISTNAME = 1023,
    IDC_PASSWD = 1028,
    IDC_TAB = 1037,
    IDC_CREATE = 1060,
    IDC_COUNT = 1063,
    IDC_QUEUE = 1066,
    IDC_SENDALL = 1070,
    IDC_BROWSE = 1077,
    IDC_EDIT = 1081,
    IDC_EXTRACT = 1084,
    IDC_ARGUMENT = 1167,
    IDC_LABEL = 1168,
    IDC_CREATED = 1181,
};
}

// Template 134, the list title.
namespace TitleIds {
enum : int
{
    IDC_TITLE = 1161,
};
}

// Template 135, the file rename.
namespace FileRenameIds {
enum : int
{
    IDC_BROWSE = 1003,
    IDC_SOURCE = 1162,
    IDC_NEWNAME = 1163,
};
}

// Template 129, the queued mails.
namespace QueuedMailIds {
enum : int
{
    IDC_EDIT = 1000,
    IDC_DELETE = 1002,
    IDC_MAILS = 1160,
};
}

// Template 130, the mail selection.
namespace MailSelectIds {
enum : int
{
    IDC_BROWSE = 1001,
    IDC_FILE = 1159,
};
}

// The system-menu command that opens the version box.
constexpr int IDM_ABOUTBOX = 16;
