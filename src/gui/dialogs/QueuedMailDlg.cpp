#include "dialogs/QueuedMailDlg.h"

#include "commands/EditorStart.h"
#include "commands/OutgoingFolder.h"
#include "resources/ResourceIds.h"
#include "ui/UiServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>

using namespace QueuedMailIds;

namespace {

// The entry's file name (without the folder) rides on the entry.
constexpr int kNameRole = Qt::UserRole;

} // namespace

CQueuedMailDlg::CQueuedMailDlg(UiServices &ui, QWidget *parent)
    : TemplateDialog(IDD_QUEUEDMAIL, parent), m_ui(ui)
{
    auto *mails = item<QListWidget>(IDC_MAILS);
    // Every row is one line of the same font: no row needs measuring.
    mails->setUniformItemSizes(true);
    connect(mails, &QListWidget::itemSelectionChanged, this, &CQueuedMailDlg::OnSelchange);
    connect(mails, &QListWidget::itemDoubleClicked, this, &CQueuedMailDlg::OnEdit);
    onClicked(IDC_EDIT, this, &CQueuedMailDlg::OnEdit);
    onClicked(IDC_DELETE, this, &CQueuedMailDlg::OnDelete);
}

void CQueuedMailDlg::OnInitDialog()
{
    auto *mails = item<QListWidget>(IDC_MAILS);
    const QSignalBlocker blocker(mails);
    // Only plain files are listed and read: a FIFO of a queued name never
    // blocks the dialog.
    for (const OutgoingFolder::QueuedMail &mail : OutgoingFolder::ReadQueue(m_strFolder)) {
        auto *entry = new QListWidgetItem(QString::fromLocal8Bit(mail.subject), mails);
        entry->setData(kNameRole, mail.name);
    }
    mails->setCurrentRow(-1);
}

void CQueuedMailDlg::OnSelchange()
{
    enable({IDC_EDIT, IDC_DELETE}, true);
}

QListWidgetItem *CQueuedMailDlg::selectedMail() const
{
    // The selection, not the current row: the list makes its first row
    // current when it takes the focus, though nobody chose it.
    return item<QListWidget>(IDC_MAILS)->selectedItems().value(0);
}

QString CQueuedMailDlg::selectedPath() const
{
    const QListWidgetItem *entry = selectedMail();
    return entry ? OutgoingFolder::QueuedPath(m_strFolder, entry->data(kNameRole).toString())
                 : QString();
}

void CQueuedMailDlg::OnEdit()
{
    const QString path = selectedPath();
    if (path.isEmpty())
        return;
    if (const std::optional<UserMessage> failure = StartEditor(m_strEditer, path))
        m_ui.showMessage(this, *failure);
}

void CQueuedMailDlg::OnDelete()
{
    auto *mails = item<QListWidget>(IDC_MAILS);
    QListWidgetItem *entry = selectedMail();
    if (!entry)
        return;
    const int row = mails->row(entry);
    const QString path = selectedPath();
    const QString caption = QCoreApplication::translate("CQueuedMailDlg", "ﾒｰﾙ削除");
    if (m_ui.messageBox(this,
                        QCoreApplication::translate("CQueuedMailDlg", "%1を削除していいですか")
                            .arg(entry->text()),
                        caption, MessageButtons::OkCancel,
                        MessageIcon::Question) != DialogAnswer::Ok)
        return;
    // A mail that could not be deleted would still be sent: it stays listed,
    // and the owner learns why. One that is gone already counts as deleted.
    QFile file(path);
    if (!file.remove() && (QFileInfo::exists(path) || QFileInfo(path).isSymLink())) {
        m_ui.messageBox(
            this, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString()),
            caption, MessageButtons::Ok, MessageIcon::Stop);
        return;
    }
    delete mails->takeItem(row);
    if (mails->count() > 0)
        mails->setCurrentRow(std::min(row, mails->count() - 1));
    else
        enable({IDC_EDIT, IDC_DELETE}, false);
    m_bChanged = true;
}
