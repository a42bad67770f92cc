#include "dialogs/MailSelectDlg.h"

#include "commands/FileNameList.h"
#include "resources/ResourceIds.h"
#include "ui/UiServices.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QPushButton>

using namespace MailSelectIds;

CMailSelectDlg::CMailSelectDlg(UiServices &ui, QWidget *parent)
    : TemplateDialog(IDD_MAILSELECT, parent), m_ui(ui)
{
    setAcceptDrops(true);
    onClicked(IDC_BROWSE, this, &CMailSelectDlg::OnBrowse);
    onClicked(IDC_FOLDER, this, &CMailSelectDlg::OnFolder);
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

QStringList CMailSelectDlg::fileNames() const
{
    const QStringList names = SplitFileNames(m_strFileName);
    return names.isEmpty() ? QStringList{QString()} : names;
}

void CMailSelectDlg::takeNames(const QStringList &names)
{
    m_strFileName = JoinFileNames(names);
    setText(IDC_FILE, m_strFileName);
}

void CMailSelectDlg::OnBrowse()
{
    // Saved mails of the companion client in its 16- and 32-bit forms first.
    const QStringList chosen = SplitFileNames(text(IDC_FILE));
    const std::optional<QStringList> names = m_ui.openFileNames(
        this, {QString(), QStringLiteral("*.*"), chosen.value(0),
               QCoreApplication::translate(
                   "CMailSelectDlg", "Quillon16ﾌｧｲﾙ (*.qxw)|*.qxw|Quillon32ﾌｧｲﾙ (*.qxl)|*.qxl|"
                                     "全てのﾌｧｲﾙ (*.*)|*.*||"),
               FileDialogFlag::HideReadOnly | FileDialogFlag::OverwritePrompt});
    if (names && !names->isEmpty())
        takeNames(*names);
}

void CMailSelectDlg::OnFolder()
{
    // A folder of saved mails, a maildir: every mail in it is read.
    const QString first = SplitFileNames(text(IDC_FILE)).value(0);
    const std::optional<QString> folder =
        m_ui.pickFolder(this, QCoreApplication::translate("CMailSelectDlg", "ｴﾗｰﾒｰﾙのﾌｫﾙﾀﾞ"),
                        first.isEmpty() ? QString() : QFileInfo(first).absolutePath());
    if (folder)
        takeNames({*folder});
}

void CMailSelectDlg::dragEnterEvent(QDragEnterEvent *event)
{
    acceptFileDrag(event);
}

void CMailSelectDlg::dropEvent(QDropEvent *event)
{
    const QStringList paths = takeFileDrop(event);
    if (!paths.isEmpty())
        takeNames(paths);
}
