#include "send/SendAllRun.h"

#include "commands/OutgoingFolder.h"
#include "common/LineStream.h"
#include "store/SafeFile.h"
#include "store/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTimer>

#include <ctime>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

// Copies `from` line by line into `to`, each line ending in CR LF, as a text
// copy does. False when a read or a write failed: a copy cut short is none.
bool copyLines(QFile &from, QIODevice &to)
{
    LineStream lines(from);
    LineStream::Piece piece;
    while (lines.next(piece)) {
        if (to.write(piece.bytes.data(), piece.bytes.size()) != piece.bytes.size() ||
            (piece.lineEnd && to.write("\r\n", 2) != 2))
            return false;
    }
    return lines.errorString().isEmpty();
}

// What stands where the run's lock file goes, as far as QLockFile cannot
// tell by itself.
enum class LockEntry
{
    Usual,    // nothing, or a lock QLockFile can judge
    Orphaned, // a lock no live process can hold: empty, unreadable, pre-boot
    Link,
    NotAFile,
};

#ifndef Q_OS_WIN
// When the machine last started, in seconds since the epoch; 0 unknown.
time_t bootTime()
{
#ifdef CLOCK_BOOTTIME
    timespec now{};
    timespec up{};
    if (::clock_gettime(CLOCK_REALTIME, &now) == 0 && ::clock_gettime(CLOCK_BOOTTIME, &up) == 0)
        return now.tv_sec - up.tv_sec;
#endif
    return 0;
}
#endif

LockEntry inspectLock(const QString &path)
{
#ifndef Q_OS_WIN
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::lstat(native.constData(), &st) != 0)
        return LockEntry::Usual;
    if (S_ISLNK(st.st_mode))
        return LockEntry::Link;
    if (!S_ISREG(st.st_mode))
        return LockEntry::NotAFile;
    // A run that holds the lock took it after the machine started.
    if (const time_t boot = bootTime(); boot != 0 && st.st_mtime < boot)
        return LockEntry::Orphaned;
    // QLockFile writes the holder's process id on the first line; without
    // one (a machine that stopped before the write reached the disk leaves
    // an empty file) QLockFile would never call the lock stale.
    QFile file(path);
    if (!SafeFile::openPlain(file).isEmpty())
        return LockEntry::Usual;
    bool isNumber = false;
    const qint64 pid = file.readLine(64).trimmed().toLongLong(&isNumber);
    return isNumber && pid > 0 ? LockEntry::Usual : LockEntry::Orphaned;
#else
    Q_UNUSED(path);
    return LockEntry::Usual;
#endif
}

} // namespace

SendAllRun::SendAllRun(SendAllView &view, const CommonSettings &settings, QObject *parent)
    : QObject(parent), m_view(view), m_settings(settings)
{
    m_job.resultWindow = this;
    m_job.onResult = [this](quint32, SendJob &, bool delivered) { deliveryResult(delivered); };
    m_job.statusWindow = this;
    m_job.onStatus = [this](quint32, const QString &line, int) { m_view.setStatusLine2(line); };
}

SendAllRun::~SendAllRun() = default;

QString SendAllRun::lockFileName()
{
    return QStringLiteral("tavelin-send.lock");
}

QString SendAllRun::completionText()
{
    return QCoreApplication::translate("SendAllRun", "送信を完了しました");
}

QString SendAllRun::noListFolderName()
{
    return QStringLiteral("(no list)");
}

QString SendAllRun::copyFolderName(const QByteArray &listTitle)
{
    QString name = QString::fromLocal8Bit(listTitle).trimmed();
    for (QChar &c : name) {
        // Separators of every platform, characters Windows refuses in names,
        // and control characters.
        if (c.unicode() < 0x20 || QStringView(u"/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    // "." and ".." would name the outgoing folder or its parent.
    while (name.startsWith(QLatin1Char('.')))
        name[0] = QLatin1Char('_');
    return name.isEmpty() ? noListFolderName() : name;
}

void SendAllRun::sendAll()
{
    if (m_phase != Phase::Idle)
        return; // a second press while dialling or sending
    m_cancelRequested = false;
    // The companion client sends on its own: no dial-up for it.
    const bool dialFirst = !m_settings.UseQuillon && m_settings.DialUp;
    m_view.showStatus(dialFirst);
    if (dialFirst) {
        m_phase = Phase::Dialling;
        m_view.dial(m_settings.Entry);
    } else {
        m_phase = Phase::Running;
        postMessage(this, SendMsg::RunStart);
    }
}

bool SendAllRun::event(QEvent *event)
{
    if (event->type() != PostedMessageEvent::eventType())
        return QObject::event(event);
    const auto *message = static_cast<PostedMessageEvent *>(event);
    switch (message->message) {
    case SendMsg::RunStart:
        start();
        break;
    case SendMsg::RunNext:
        next();
        break;
    case SendMsg::RunCancel:
        m_cancelRequested = true;
        break;
    case SendMsg::RunEnd:
        end();
        break;
    case SendMsg::DialResult:
        dialResult(message->first == 1);
        break;
    default:
        break;
    }
    return true;
}

void SendAllRun::dialResult(bool ready)
{
    if (m_phase != Phase::Dialling)
        return;
    if (ready) {
        m_phase = Phase::Running;
        postMessage(this, SendMsg::RunStart);
    } else {
        // The status window shows why; nothing was disabled.
        m_phase = Phase::Idle;
        Q_EMIT finished();
    }
}

void SendAllRun::start()
{
    m_phase = Phase::Running;
    m_nextNumber = 1;
    m_errorSeen = false;
    m_copyFailed = false;
    m_skipped.clear();
    m_queue.reset();
    // Resolved once: the companion program starts in the folder, so a path
    // relative to ours would name a file it cannot find (and which is then
    // deleted all the same).
    const QString folder = m_settings.outgoingFolder();
    m_folder = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
    m_view.disableRunButtons();
    if (!lockFolder()) {
        m_errorSeen = true; // the status window keeps the message's context
        postMessage(this, SendMsg::RunEnd);
        return;
    }
    postMessage(this, SendMsg::RunNext);
}

bool SendAllRun::lockFolder()
{
    const QString folder = m_settings.outgoingFolder();
    // Nothing can be sent from a folder that is not there.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return true;
    const QString path = OutgoingFolder::QueuedPath(folder, lockFileName());
    auto lock = std::make_unique<QLockFile>(path);
    // A run may take hours: only the lock of a process that has died is
    // stale, and it is taken over.
    lock->setStaleLockTime(0);
    LockEntry entry = inspectLock(path);
    const bool orphaned = entry == LockEntry::Orphaned;
    // A live holder keeps a lock on the file itself (flock), which makes
    // this removal fail: only a lock nobody holds is taken over.
    if (orphaned && lock->removeStaleLockFile())
        entry = LockEntry::Usual;
    if (entry == LockEntry::Usual && lock->tryLock(0)) {
        m_lock = std::move(lock);
        return true;
    }
    // A run that took the lock just now may not have written it yet.
    if (orphaned)
        entry = inspectLock(path);
    QString text;
    switch (entry) {
    case LockEntry::Link:
        text =
            QCoreApplication::translate("SendAllRun", "送信ﾌｫﾙﾀﾞのﾛｯｸﾌｧｲﾙがﾘﾝｸになっています\n%1");
        break;
    case LockEntry::Orphaned:
    case LockEntry::NotAFile:
        text = QCoreApplication::translate("SendAllRun", "送信ﾌｫﾙﾀﾞのﾛｯｸﾌｧｲﾙが壊れています\n%1");
        break;
    case LockEntry::Usual:
        text = orphaned || lock->error() == QLockFile::LockFailedError
                   ? QCoreApplication::translate("SendAllRun", "別の送信が実行中です\n%1")
                   : QCoreApplication::translate("SendAllRun", "送信ﾌｫﾙﾀﾞをﾛｯｸできません\n%1");
        break;
    }
    text = text.arg(QDir::toNativeSeparators(entry == LockEntry::Usual ? folder : path));
    // The status window stays open with the run's end line: it says why
    // nothing was sent, as after a failed delivery.
    m_view.setStatusLine1(text);
    m_view.showMessage({text, applicationName(), UserMessage::Icon::Stop});
    return false;
}

void SendAllRun::next()
{
    if (m_cancelRequested) {
        postMessage(this, SendMsg::RunEnd);
        return;
    }
    const QString file = nextQueued();
    if (file.isEmpty()) {
        postMessage(this, SendMsg::RunEnd);
        return;
    }
    m_view.setStatusLine1(QCoreApplication::translate("SendAllRun", "(%1/%2)通目を送信中")
                              .arg(m_nextNumber++)
                              .arg(m_view.queuedCount()));
    if (m_settings.UseQuillon) {
        handOff(file);
        return;
    }
    m_job.server = m_settings.Server;
    m_job.port = m_settings.PortNo;
    m_job.userName = m_settings.UserName;
    // A password the keyring could not give at the load is asked for again;
    // none is no password to log in with.
    const bool login =
        !m_settings.UserName.isEmpty() && smtpSecurity(m_settings) != SmtpSecurity::Plain;
    const Keyring::Read password = login ? SmtpPassword(m_settings) : Keyring::Read{};
    if (!password.ok()) {
        m_job.errorText = password.error;
        deliveryResult(false);
        return;
    }
    m_job.password = password.value;
    m_job.security = parseSmtpSecurity(m_settings.SmtpSecurity); // unset: derived
    m_job.mailFile = file;
    m_job.deadlines = deadlines;
    if (!m_worker.start(m_job)) {
        // Only while an earlier delivery has not reported, which the run's
        // order of steps rules out; end rather than lose track of a file.
        m_job.errorText = QCoreApplication::translate("SendAllRun", "送信中のﾒｰﾙがあります");
        deliveryResult(false);
    }
}

QString SendAllRun::nextQueued()
{
    // One pass over the folder takes file after file: searching it again
    // from its start for each mail would cost, with thousands queued, as
    // much as listing it. Mails added during a pass may be missed by it, so
    // a pass that ends is followed by a fresh one, until a fresh one finds
    // nothing.
    const QString &folder = m_folder;
    for (;;) {
        const bool fresh = !m_queue;
        if (fresh && folder.isEmpty())
            return {};
        if (fresh)
            m_queue = std::make_unique<QDirIterator>(folder, QDir::Files | QDir::Hidden);
        while (m_queue->hasNext()) {
            m_queue->next();
            const QString name = m_queue->fileName();
            const QString path = OutgoingFolder::QueuedPath(folder, name);
            if (!OutgoingFolder::IsQueuedName(name))
                continue;
            // A listed file may have been removed since (the queue dialog).
            const QString refused = SafeFile::readRefusal(path);
            if (refused.isEmpty() && QFileInfo::exists(path))
                return path;
            // Anything but a plain file (a link to a FIFO would block the
            // delivery's open) is left where it is, and said once a run.
            if (!refused.isEmpty() && !m_skipped.contains(name)) {
                m_skipped.insert(name);
                m_view.showMessage(
                    {QCoreApplication::translate("SendAllRun", "送信できないﾌｧｲﾙがあります\n%1\n%2")
                         .arg(QDir::toNativeSeparators(path), refused),
                     applicationName(), UserMessage::Icon::Warning});
            }
        }
        m_queue.reset();
        if (fresh)
            return {};
    }
}

void SendAllRun::deliveryResult(bool delivered)
{
    if (!delivered) {
        m_view.setStatusLine1(m_job.errorText);
        m_errorSeen = true;
        postMessage(this, SendMsg::RunEnd);
        return; // the file stays queued
    }
    if (m_settings.SaveMail)
        saveCopy(m_job.mailFile, m_job.listTitle);
    if (removeSent(m_job.mailFile))
        postMessage(this, SendMsg::RunNext);
}

void SendAllRun::saveCopy(const QString &sentFile, const QByteArray &listTitle)
{
    const QString folder =
        QFileInfo(sentFile).absolutePath() + QLatin1Char('/') + copyFolderName(listTitle);
    const auto failed = [this](const QString &path, const QString &reason) {
        m_copyFailed = true;
        m_view.showMessage(
            {QCoreApplication::translate("SendAllRun", "保存先のﾌｧｲﾙが開けません\n%1\n%2")
                 .arg(QDir::toNativeSeparators(path), reason),
             QCoreApplication::translate("SendAllRun", "メール保存"), UserMessage::Icon::None});
    };
    // The copy holds the list's password: it is not written wherever a link
    // put in place of the list's folder leads.
    if (QFileInfo(folder).isSymLink()) {
        failed(folder, QStringLiteral("the folder is a link"));
        return;
    }
    // A folder that cannot be made: no copy, silently.
    if (!QDir().mkpath(folder))
        return;
    QFile from(sentFile);
    const bool readable = SafeFile::openPlain(from).isEmpty(); // unreadable: an empty copy
    // A copy cut short by a full disk is no copy: it appears whole or not at all.
    const OutgoingFolder::CreatedFile copy = OutgoingFolder::WriteQueuedFile(
        folder, [&](QIODevice &to) { return !readable || copyLines(from, to); });
    if (!copy.ok())
        failed(copy.failedFile.isEmpty() ? folder : copy.failedFile,
               copy.failedFile.isEmpty() ? copy.error : copy.reason);
}

bool SendAllRun::removeSent(const QString &file)
{
    QFile sent(file);
    if (sent.remove() || !sent.exists())
        return true;
    // Left in place, the file would be found first again and sent again and
    // again: the run ends with it still queued.
    m_view.showMessage(
        {QCoreApplication::translate("SendAllRun", "送信したﾒｰﾙを削除できません\n%1\n%2")
             .arg(QDir::toNativeSeparators(file), sent.errorString()),
         applicationName(), UserMessage::Icon::Stop});
    m_errorSeen = true;
    postMessage(this, SendMsg::RunEnd);
    return false;
}

void SendAllRun::handOff(const QString &file)
{
    QString program = QString::fromLocal8Bit(m_settings.Qsend);
    if (program.isEmpty())
        program = m_settings.QuillonType == 0 ? QStringLiteral("QSEND.EXE")
                                              : QStringLiteral("QUILLON.EXE");
    const QString path = QDir::toNativeSeparators(file);
    const QString argument =
        (m_settings.QuillonType == 0 ? QStringLiteral("/H=") : QStringLiteral("/file:")) + path;
    // The path is one argument, blanks and all; no shell is involved.
    if (!QProcess::startDetached(program, {argument}, m_folder)) {
        m_view.showMessage({QCoreApplication::translate("SendAllRun", "%1 の起動に失敗しました")
                                .arg(program + QLatin1Char(' ') + argument),
                            applicationName(), UserMessage::Icon::Stop});
        // Ends the run as a cancelled one; the file stays queued.
        postMessage(this, SendMsg::RunCancel);
        postMessage(this, SendMsg::RunNext);
        return;
    }
    // The companion reads the file in this pause; the next search must not
    // see it again, so the next file is taken only after the deletion.
    QTimer::singleShot(handOffDelayMs, this, [this, file] { finishHandOff(file); });
}

void SendAllRun::finishHandOff(const QString &file)
{
    if (removeSent(file))
        postMessage(this, SendMsg::RunNext);
}

void SendAllRun::end()
{
    m_queue.reset();
    m_lock.reset(); // unlocks and removes the lock file
    m_view.setStatusLine2(completionText());
    m_view.recountQueued();
    m_view.runTabChange();
    if (m_settings.DialUp && !m_view.keepConnection())
        m_view.hangUp();
    m_view.hideCancelButton();
    if (!m_errorSeen)
        m_view.closeStatus();
    m_phase = Phase::Idle;
    Q_EMIT finished();
}
