#pragma once

#include "common/UserMessage.h"
#include "send/SendJob.h"
#include "send/SmtpWorker.h"
#include "store/CommonSettings.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class QDirIterator;
class QLockFile;

// What a send-all run asks of the window that drives it: the main window in
// the program, a terminal in tavelin-cli.
class SendAllView
{
public:
    virtual ~SendAllView() = default;

    // Shows the status window with its cancel button; the keep-connection
    // check box only when the run dials first.
    virtual void showStatus(bool withKeepConnection) = 0;
    virtual void setStatusLine1(const QString &text) = 0; // 0x8008
    virtual void setStatusLine2(const QString &text) = 0; // 0x8009
    // Buttons 1060, 1066 and 1070; a run disables them at its start, and
    // the recount and tab-change handling at its end give them back.
    virtual void disableRunButtons() = 0;
    // The queued count of the last recount, and a new recount.
    virtual int queuedCount() const = 0;
    virtual void recountQueued() = 0;
    virtual void runTabChange() = 0;
    virtual void showMessage(const UserMessage &message) = 0;
    // Asks the status side to dial `entry` (32771); it answers with
    // postMessage(run, SendMsg::DialResult, 1 or 0).
    virtual void dial(const QByteArray &entry) = 0;
    virtual bool keepConnection() const = 0; // check box 1164
    virtual void hangUp() = 0;               // 32773
    virtual void hideCancelButton() = 0;
    // Closes the status window (a run that saw no error).
    virtual void closeStatus() = 0;
};

// The send-all run: empties the outgoing folder one file at a time, by SMTP
// or through the companion client's sending program. It advances by
// messages posted to itself (1183-1186, 0x8004) and the delivery result of
// the SMTP worker, so the thread that drives it stays responsive.
class SendAllRun : public QObject
{
    Q_OBJECT

public:
    // `settings` is read at each step: the window's current settings.
    SendAllRun(SendAllView &view, const CommonSettings &settings, QObject *parent = nullptr);
    ~SendAllRun() override;

    // The send-all button (1070). Ignored while a run or its dial is under way.
    void sendAll();
    // True from sendAll() until the end of the run (or a failed dial).
    bool isActive() const { return m_phase != Phase::Idle; }

    // Deadlines of each SMTP delivery (tavelin-cli --timeout sets them).
    SmtpDeadlines deadlines;
    // Test seam: the pause between starting the companion program and
    // deleting its file (it reads the file in that time).
    int handOffDelayMs = 1000;

    // Results of the last run, for callers that report them.
    bool errorSeen() const { return m_errorSeen; }
    bool cancelled() const { return m_cancelRequested; }
    // A copy of a sent mail could not be kept (the mail was still sent).
    bool copyFailed() const { return m_copyFailed; }

    // The lock file in the outgoing folder held while a run sends from it:
    // one run at a time, whichever process, or mails would go out twice.
    static QString lockFileName();

    // The second status line at the end of every run, failed or not.
    static QString completionText();

    // Subfolder of the outgoing folder for copies of mails that name no
    // list, so that no copy lands in the queue itself.
    static QString noListFolderName();
    // The list title as one folder name that cannot lead out of the
    // outgoing folder.
    static QString copyFolderName(const QByteArray &listTitle);

Q_SIGNALS:
    // The run has ended (after 1186, or a dial that failed).
    void finished();

protected:
    bool event(QEvent *event) override;

private:
    enum class Phase
    {
        Idle,
        Dialling,
        Running
    };

    void start();
    // Takes the outgoing folder's lock; false (message shown) when another
    // run holds it or it cannot be taken.
    bool lockFolder();
    void next();
    void end();
    void dialResult(bool ready);
    void deliveryResult(bool delivered);
    void handOff(const QString &file);
    void finishHandOff(const QString &file);
    // The queued file to send next; empty when none is left.
    QString nextQueued();
    void saveCopy(const QString &sentFile, const QByteArray &listTitle);
    // Deletes a sent file; false (run ended, message shown) when it stays.
    bool removeSent(const QString &file);

    SendAllView &m_view;
    const CommonSettings &m_settings;
    SmtpWorker m_worker;
    SendJob m_job;
    // The pass over the outgoing folder that the run is taking its files from.
    std::unique_ptr<QDirIterator> m_queue;
    // The outgoing folder as an absolute path, fixed at the run's start.
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    Phase m_phase = Phase::Idle;
    bool m_cancelRequested = false;
    bool m_errorSeen = false;
    bool m_copyFailed = false;
    int m_nextNumber = 1;
    // Queued names that are no plain file, said once in this run.
    QSet<QString> m_skipped;
};
