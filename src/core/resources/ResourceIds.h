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
    IDD_CONFIG_PAGE1 = 104,
    IDD_CONFIG_PAGE2 = 105,
    IDD_CONFIG_PAGE3 = 106,
    IDD_CONFIG_PAGE4 = 107,
    IDD_COMMON_SEND = 108,
    IDD_COMMON_EDIT = 109,
    IDD_CONFIG_PAGE5 = 110,
    IDD_COMMON_FETCH = 111,
    IDR_MAINFRAME = 128,
    IDD_QUEUEDMAIL = 129,
    IDD_MAILSELECT = 130,
    IDI_PLACEHOLDER = 131, // the small black triangle of the placeholder buttons
    IDD_TITLE = 134,
    IDD_FILERENAME = 135,
    IDD_STATUS = 136,
    IDD_REPLYRESULTS = 137,
    IDD_ROSTER = 138,
    IDD_FETCHSUMMARY = 139,
    IDD_BOUNCESUMMARY = 140,
    IDS_CONFIG_SHEET = 153,
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
    IDC_FETCH = 1071, // "ﾒｰﾙ受信"
    IDC_BROWSE = 1077,
    IDC_EDIT = 1081,
    IDC_EXTRACT = 1084,
    IDC_ARGUMENT = 1167,
    IDC_LABEL = 1168,
    IDC_CREATED = 1181,
    IDC_ROSTER = 1190, // "会員一覧表示", on the member-list tab
};
}

// Template 137, what each command of a server reply did.
namespace ReplyResultsIds {
enum : int
{
    IDC_LIST = 1191,
    IDC_DATE = 1192,
    IDC_COMMANDS = 1193,
    IDC_TEXT = 1194,
    IDC_NOTE = 1195,
};
}

// Template 138, a list's stored member roster.
namespace RosterIds {
enum : int
{
    IDC_SUMMARY = 1196,
    IDC_SEARCH = 1197,
    IDC_FILTER = 1198,
    IDC_MEMBERS = 1199,
    IDC_EXPORT = 1200,
    IDC_UNSUBSCRIBE = 1201, // "選択したｱﾄﾞﾚｽを強制退会"
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

// Template 108, the sending page of the common settings.
namespace CommonSendIds {
enum : int
{
    IDC_ADDRESS = 1019,
    IDC_PASSWORD = 1028,
    IDC_OWN_SMTP = 1074, // "Tavelin単独で送信する", first of the send-mode group
    IDC_QUILLON = 1078,  // "Quillonで送信する"
    IDC_SERVER_LABEL = 1082,
    IDC_TIMEZONE_LABEL = 1085,
    IDC_PORT_LABEL = 1088,
    IDC_USERNAME_LABEL = 1090,
    IDC_PASSWORD_LABEL = 1092,
    IDC_ADDRESS_LABEL = 1094,
    IDC_FOLDER_LABEL = 1096,
    IDC_ENTRY_LABEL = 1098,
    IDC_REDIAL_LABEL = 1100,
    IDC_INTERVAL_LABEL = 1102,
    IDC_PROGRAM_LABEL = 1104,
    IDC_SERVER = 1106,
    IDC_TIMEZONE = 1108,
    IDC_USERNAME = 1110,
    IDC_PORT = 1112,
    IDC_PORT_SPIN = 1114,
    IDC_FOLDER = 1116,
    IDC_FOLDER_BROWSE = 1118,
    IDC_DIALUP = 1120,
    IDC_ENTRY = 1123,
    IDC_EDITION_16 = 1126, // first of the edition group
    IDC_EDITION_32 = 1129,
    IDC_NO_SIGNATURE = 1132,
    IDC_PROGRAM = 1169,
    IDC_PROGRAM_BROWSE = 1170,
    IDC_REDIAL = 1174,
    IDC_INTERVAL = 1175,
    IDC_REDIAL_SPIN = 1176,
    IDC_INTERVAL_SPIN = 1177,
    IDC_SAVE_MAIL = 1178,
    // Our own additions to the page.
    IDC_SECURITY_LABEL = 1250,
    IDC_SECURITY = 1251, // "none", "starttls", "tls" in this order
    IDC_KEYRING = 1252,  // "ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞに保存"
};
}

// Template 109, the editing page of the common settings.
namespace CommonEditIds {
enum : int
{
    IDC_EDITOR = 1171,
    IDC_EDITOR_BROWSE = 1172,
};
}

// Template 111, the fetching page of the common settings.
namespace CommonFetchIds {
enum : int
{
    IDC_SERVER = 1201,
    IDC_PORT = 1202,
    IDC_PORT_SPIN = 1203,
    IDC_TLS = 1204,      // "TLS", first of the security group
    IDC_STARTTLS = 1205, // "STARTTLS"
    IDC_USERNAME = 1206,
    IDC_PASSWORD = 1207,
    IDC_FOLDER = 1208,
    IDC_MOVETO = 1209,
};
}

// Template 139, the summary of a fetch.
namespace FetchSummaryIds {
enum : int
{
    IDC_COUNTS = 1210,
    IDC_ITEMS = 1211,
    IDC_UNSUBSCRIBE = 1212, // "強制退会へ"
    IDC_SUBSCRIBE = 1213,   // "強制入会へ"
    IDC_RESULTS = 1214,     // "結果表示"
    IDC_ROSTER = 1215,      // "会員一覧"
};
}

// Template 140, the addresses of many returned mails.
namespace BounceSummaryIds {
enum : int
{
    IDC_COUNTS = 1220,
    IDC_MINDAYS = 1221,
    IDC_MINDAYS_SPIN = 1222,
    IDC_WITHIN = 1223,
    IDC_WITHIN_SPIN = 1224,
    IDC_ADDRESSES = 1225,
    IDC_CHECKALL = 1226,   // "全てﾁｪｯｸ"
    IDC_UNCHECKALL = 1227, // "全て外す"
};
}

// Templates 104 to 107 and 110, the config pages: their controls are named by
// keyword, one row each, in core/config/ConfigPageLayout.cpp.

// Template 136, the status window of a sending run.
namespace StatusIds {
enum : int
{
    IDC_KEEPCONNECTION = 1164, // "ﾀﾞｲｱﾙｱｯﾌﾟを切断しない"
    IDC_STATUS1 = 1165,
    IDC_STATUS2 = 1166,
    IDC_CANCELSEND = 1182, // "送信ｷｬﾝｾﾙ"
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
    IDC_FOLDER = 1002, // "ﾌｫﾙﾀﾞ"
    IDC_FILE = 1159,
};
}

// The system-menu command that opens the version box.
constexpr int IDM_ABOUTBOX = 16;
