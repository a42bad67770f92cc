#include "dialogs/AboutDlg.h"

#include "resources/ResourceIds.h"

CAboutDlg::CAboutDlg(QWidget *parent) : TemplateDialog(IDD_ABOUTBOX, parent)
{
    setWindowIcon(resourceIcon(IDR_MAINFRAME));
}
