#include "Cli.h"

#include "commands/OutgoingFolder.h"
#include "send/DialSession.h"
#include "send/NetworkManagerDialUp.h"
#include "send/SendAllRun.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace cli {

namespace {

// The run's window side on a terminal: status lines on stdout, messages on
// stderr, no buttons; the dial-up of --dial shows its lines as the status
// window would.
class TerminalView : public SendAllView, public DialView
{
public:
    explicit TerminalView(const CommonSettings &settings) : m_settings(settings)
    {
        recountQueued();
    }

    void showStatus(bool) override {}
    void setStatusLine1(const QString &text) override
    {
        m_line1 = text;
        m_messageLast = false;
        line(text);
    }
    void setStatusLine2(const QString &text) override
    {
        // The run's end line waits for the run's outcome: on a terminal
        // "complete" after a failure reads as success.
        if (text == SendAllRun::completionText())
            m_ended = true;
        else
            line(QStringLiteral("  ") + text);
    }
    void disableRunButtons() override {}
    int queuedCount() const override { return m_queued; }
    void recountQueued() override
    {
        m_queued = OutgoingFolder::CountQueued(m_settings.outgoingFolder());
    }
    void runTabChange() override {}
    void showMessage(const UserMessage &message) override
    {
        m_messageLast = true;
        err(message.text.toLocal8Bit() + '\n');
    }
    void dial(const QByteArray &entry) override
    {
        if (m_dial)
            m_dial->dial(QString::fromLocal8Bit(entry));
    }
    // Nobody is there to untick it: what was dialled is hung up.
    bool keepConnection() const override { return false; }
    void hangUp() override
    {
        if (m_dial)
            m_dial->hangUp();
    }
    void hideCancelButton() override {}
    void closeStatus() override {}

    // The dial-up of --dial, and the run its end is told to.
    void attachDial(DialSession &dial, QObject &run)
    {
        m_dial = &dial;
        m_run = &run;
    }
    void dialStarted() override {}
    void setDialStatus(const QString &text) override
    {
        // A window shows the same text again unseen; a terminal would repeat it.
        if (text != m_line1)
            setStatusLine1(text);
    }
    void dialEnded(bool ready) override
    {
        m_dialFailed = !ready;
        postMessage(m_run, SendMsg::DialResult, ready ? 1 : 0);
    }
    bool dialFailed() const { return m_dialFailed; }

    // The run's last line: complete, or stopped with the mails still queued.
    void sayEnd(bool stopped)
    {
        if (!m_ended)
            return;
        line(QStringLiteral("  ") +
             (stopped ? QCoreApplication::translate("Cli", "送信を中止しました(未送信 %1 通)")
                            .arg(m_queued)
                      : SendAllRun::completionText()));
    }

    const QString &lastLine1() const { return m_line1; }
    // True when a message came after the last first status line: a run that
    // ended then was ended by that message, already on stderr.
    bool messageLast() const { return m_messageLast; }

private:
    const CommonSettings &m_settings;
    int m_queued = 0;
    QString m_line1;
    bool m_messageLast = false;
    bool m_ended = false;
    DialSession *m_dial = nullptr;
    QObject *m_run = nullptr;
    bool m_dialFailed = false;
};

// Why a dial failed, for the terminal's last line.
QString dialFailure(int failure, const QString &entry)
{
    switch (failure) {
    case DialUpResult::EntryNotFound:
        return QStringLiteral("no NetworkManager connection is named '%1'").arg(entry);
    case DialUpResult::NotLoaded:
        return QStringLiteral("NetworkManager does not answer on the system bus");
    case NetworkManagerDialUp::kReasonBase:
        return QStringLiteral("NetworkManager refused it or gave no reason");
    default:
        if (failure > NetworkManagerDialUp::kReasonBase)
            return QStringLiteral("NetworkManager's reason %1")
                .arg(failure - NetworkManagerDialUp::kReasonBase);
        return QStringLiteral("error %1").arg(failure);
    }
}

// Waits for a hang-up under way, so that the connection is gone (or given
// up on) before the program ends.
void waitForHangUp(DialSession &dial)
{
    if (!dial.isHangingUp())
        return;
    QEventLoop loop;
    QObject::connect(&dial, &DialSession::hangUpEnded, &loop, &QEventLoop::quit);
    loop.exec();
}

int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(g_interruptPipe[1], &byte, 1);
    // A second Ctrl-C (or TERM) ends the program at once.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

} // namespace

int send(const QStringList &args)
{
    int timeoutSeconds = 0;
    QString dialEntry;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--timeout") && i + 1 < args.size()) {
            bool ok = false;
            timeoutSeconds = args[++i].toInt(&ok);
            // A day at most: the deadlines are milliseconds in an int.
            if (!ok || timeoutSeconds <= 0 || timeoutSeconds > 86400)
                return usageError(QStringLiteral("--timeout needs seconds from 1 to 86400"));
        } else if (args[i] == QLatin1String("--dial") && i + 1 < args.size()) {
            dialEntry = args[++i];
            if (dialEntry.isEmpty())
                return usageError(QStringLiteral("--dial needs the name of a connection"));
        } else {
            return usageError(QStringLiteral("send: unexpected argument '%1'").arg(args[i]));
        }
    }

    // A run piped into a log or killed part way shows every line it reached.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    CommonSettings settings;
    if (!loadSettings(settings))
        return ExitFailure;
    if (settings.MailSavePath.isEmpty())
        return failure(QStringLiteral("no outgoing folder is set (MailSavePath)"));
    // The stored dial-up choice is the window's; a script says --dial.
    if (!dialEntry.isEmpty()) {
        if (settings.UseQuillon)
            err("tavelin-cli: the companion client sends on its own: no dial-up\n");
        settings.DialUp = 1;
        settings.Entry = dialEntry.toLocal8Bit();
    } else if (settings.DialUp && !settings.UseQuillon) {
        err("tavelin-cli: no dial-up without --dial ENTRY; sending over the present connection\n");
        settings.DialUp = 0;
    }

    TerminalView view(settings);
    SendAllRun run(view, settings);
    std::unique_ptr<NetworkManagerDialUp> binding;
    std::unique_ptr<DialSession> dial;
    if (settings.DialUp) {
        binding = std::make_unique<NetworkManagerDialUp>();
        dial = std::make_unique<DialSession>(*binding, view);
        view.attachDial(*dial, run);
    }
    if (timeoutSeconds > 0)
        run.deadlines = SmtpDeadlines::uniform(timeoutSeconds * 1000);

    // Ctrl-C is a cancel request: the mail in flight is finished first.
    int interrupted = 0; // the signal that asked for the cancel
    std::unique_ptr<QSocketNotifier> notifier;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_interruptPipe) == 0) {
        notifier = std::make_unique<QSocketNotifier>(g_interruptPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [&] {
            char byte = 0;
            [[maybe_unused]] const auto got = ::read(g_interruptPipe[0], &byte, 1);
            interrupted = byte;
            // As the status window's cancel button: a dial under way is
            // hung up; a connection that is up is hung up at the run's end.
            postMessage(&run, SendMsg::RunCancel);
            if (dial)
                dial->cancel();
        });
        // TERM (a cron job's timeout, a shutdown) as Ctrl-C: what was
        // dialled is hung up.
        std::signal(SIGINT, onInterrupt);
        std::signal(SIGTERM, onInterrupt);
    }

    QEventLoop loop;
    QObject::connect(&run, &SendAllRun::finished, &loop, &QEventLoop::quit);
    run.sendAll();
    if (run.isActive())
        loop.exec();
    if (dial) {
        // A run refused before its end (another run sending, say) never
        // got to its hang-up.
        dial->hangUp();
        waitForHangUp(*dial);
    }

    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    notifier.reset();
    for (int &fd : g_interruptPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    // A run cancelled without Ctrl-C was stopped by a companion program that
    // did not start: the queue is not empty either.
    const bool stopped =
        interrupted != 0 || view.dialFailed() || run.errorSeen() || run.cancelled();
    int status = ExitOk;
    if (interrupted)
        status = 128 + interrupted; // as the shell reports a signal: 130, 143
    else if (view.dialFailed())
        status = failure(view.lastLine1() + QStringLiteral(" (") +
                         dialFailure(dial->failure(), dialEntry) + QLatin1Char(')'));
    else if (stopped)
        status = view.messageLast() ? ExitFailure : failure(view.lastLine1());
    // The mails went out, but a copy that was asked for is missing (said on
    // stderr when it happened).
    else if (run.copyFailed())
        status = ExitFailure;
    view.sayEnd(stopped);
    return status;
}

} // namespace cli
