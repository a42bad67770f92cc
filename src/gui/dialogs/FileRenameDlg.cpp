#include "dialogs/FileRenameDlg.h"

#include "resources/ResourceIds.h"
#include "store/SafeFile.h"
#include "ui/UiServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSaveFile>

#include <cerrno>

using namespace FileRenameIds;

namespace {

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

CFileRenameDlg::CFileRenameDlg(UiServices &ui, QWidget *parent)
    : TemplateDialog(IDD_FILERENAME, parent), m_ui(ui)
{
    onClicked(IDC_BROWSE, this, &CFileRenameDlg::OnBrowse);
}

void CFileRenameDlg::OnInitDialog()
{
    setText(IDC_SOURCE, m_strSource);
    setText(IDC_NEWNAME, m_strNewName);
}

void CFileRenameDlg::OnBrowse()
{
    const std::optional<QString> chosen =
        m_ui.openFileName(this, {QString(), m_strDefExt, m_strNewName, m_strFilter,
                                 FileDialogFlag::HideReadOnly | FileDialogFlag::OverwritePrompt});
    if (!chosen)
        return;
    m_strNewName = *chosen;
    setText(IDC_NEWNAME, m_strNewName);
}

void CFileRenameDlg::OnOK()
{
    m_strSource = text(IDC_SOURCE);
    m_strNewName = text(IDC_NEWNAME);
    CopySourceToNewName();
    // Ends with OK whatever happened: the caller goes on with the new name.
    accept();
}

void CFileRenameDlg::CopySourceToNewName()
{
    QFile source(m_strSource);
    // A source or target that cannot be opened means that nothing is copied,
    // silently: the owner may well have meant only to pick the new name. Only
    // a plain file is a source: a FIFO would block the open and a device such
    // as /dev/zero would never end.
    if (!QFileInfo(m_strSource).isFile() || !source.open(QIODevice::ReadOnly) ||
        sameFile(m_strSource, m_strNewName))
        return;
    // The copy goes to a temporary file beside the target, which replaces the
    // target only when complete: a failure leaves the old target whole. The
    // rename goes over a link's target: never over a device, FIFO or folder.
    QString error = SafeFile::writeRefusal(m_strNewName);
    if (!error.isEmpty()) {
        showCopyFailure(error);
        return;
    }
    QSaveFile whole(m_strNewName);
    errno = 0;
    if (whole.open(QIODevice::WriteOnly)) {
        if (error = copyInto(source, whole); !error.isEmpty()) {
            showCopyFailure(error);
            return;
        }
        errno = 0;
        if (whole.commit())
            return;
    }
    // No temporary file could be made or named beside the target (a folder
    // the owner may not write in, a name at the length limit): the target is
    // written in place, as an existing file the owner may write still can be.
    // Not after a failed write: a full disk would take the old content too.
    const int why = errno;
    error = SafeFile::reason(whole.errorString(), why);
    if (why == EACCES || why == EPERM || why == ENAMETOOLONG) {
        QFile inPlace(m_strNewName);
        errno = 0;
        if (!source.seek(0) || !inPlace.open(QIODevice::WriteOnly | QIODevice::Truncate))
            error = SafeFile::reason(inPlace.errorString(), errno);
        else if (error = copyInto(source, inPlace); error.isEmpty() && !inPlace.flush())
            error = SafeFile::reason(inPlace.errorString(), errno);
    }
    if (!error.isEmpty())
        showCopyFailure(error);
}

QString CFileRenameDlg::copyInto(QFile &source, QFileDevice &target)
{
    for (;;) {
        const QByteArray chunk = source.read(64 * 1024);
        if (chunk.isEmpty())
            return source.atEnd() ? QString() : source.errorString();
        errno = 0;
        if (target.write(chunk) != chunk.size())
            return SafeFile::reason(target.errorString(), errno);
    }
}

void CFileRenameDlg::showCopyFailure(const QString &error)
{
    m_ui.messageBox(
        this,
        QCoreApplication::translate("CFileRenameDlg", "%1 を %2 にコピーできませんでした。\n%3")
            .arg(QDir::toNativeSeparators(m_strSource), QDir::toNativeSeparators(m_strNewName),
                 error),
        windowTitle(), MessageButtons::Ok, MessageIcon::Stop);
}
