#include "dialogs/TitleDlg.h"

#include "resources/ResourceIds.h"

using TitleIds::IDC_TITLE;

CTitleDlg::CTitleDlg(QWidget *parent) : TemplateDialog(IDD_TITLE, parent) {}

void CTitleDlg::OnInitDialog()
{
    setText(IDC_TITLE, m_strTitle);
}

void CTitleDlg::OnOK()
{
    m_strTitle = text(IDC_TITLE);
    accept();
}
