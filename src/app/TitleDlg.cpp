#include "TitleDlg.h"

#include "resources/ResourceIds.h"

namespace {
constexpr int IDC_TITLE = 1161;
}

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
