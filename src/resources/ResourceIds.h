#pragma once

// Numeric ids of the dialog templates, strings, icons and of the controls
// that code refers to by name. Controls are still addressed by number: these
// names only make the code read better.
enum ResourceId : int
{
    IDD_ABOUTBOX = 100,
    IDS_ABOUTBOX = 101,
    IDD_TAVELIN_DIALOG = 102,
    IDP_SOCKETS_INIT_FAILED = 103,
    IDR_MAINFRAME = 128,
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

// The system-menu command that opens the version box.
constexpr int IDM_ABOUTBOX = 16;
