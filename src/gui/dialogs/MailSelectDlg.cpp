#include "dialogs/MailSelectDlg.h"

#include "resources/ResourceIds.h"
#include "ui/UiServices.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QPushButton>

using namespace MailSelectIds;

CMailSelectDlg::CMailSelectDlg(UiServices &ui, QWidget *parent)
    : TemplateDialog(IDD_MAILSELECT, parent), m_ui(ui)
{
    setAcceptDrops(true);
    onClicked(IDC_BROWSE, this, &CMailSelectDlg::OnBrowse);
}

void CMailSelectDlg::OnInitDialog()
{
    setText(IDC_FILE, m_strFileName);
}

void CMailSelectDlg::OnOK()
{
    m_strFileName = text(IDC_FILE);
    accept();
}

void CMailSelectDlg::OnBrowse()
{
    // Saved mails of the companion client in its 16- and 32-bit forms first.
    const std::optional<QString> chosen = m_ui.openFileName(
        this, {QString(), QStringLiteral("*.*"), QStringLiteral("*.*"),
               QCoreApplication::translate(
                   "CMailSelectDlg", "Quillon16ﾌｧｲﾙ (*.qxw)|*.qxw|Quillon32ﾌｧｲﾙ (*.qxl)|*.qxl|"
                                     "全てのﾌｧｲﾙ (*.*)|*.*||"),
               FileDialogFlag::HideReadOnly | FileDialogFlag::OverwritePrompt});
    if (!chosen)
        return;
    m_strFileName = *chosen;
    setText(IDC_FILE, m_strFileName);
}

void CMailSelectDlg::dragEnterEvent(QDragEnterEvent *event)
{
    acceptFileDrag(event);
}

void CMailSelectDlg::dropEvent(QDropEvent *event)
{
    const QStringList paths = takeFileDrop(event);
    if (paths.isEmpty())
        return;
    // Of a drop only the first file counts.
    m_strFileName = paths.constFirst();
    setText(IDC_FILE, m_strFileName);
}
