#include "Cli.h"

#include "commands/OutgoingFolder.h"
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
// stderr, no buttons and no dial-up.
class TerminalView : public SendAllView
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
    void dial(const QByteArray &) override {}
    bool keepConnection() const override { return true; }
    void hangUp() override {}
    void hideCancelButton() override {}
    void closeStatus() override {}

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
};

int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_interruptPipe[1], &byte, 1);
    // A second Ctrl-C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

int send(const QStringList &args)
{
    int timeoutSeconds = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--timeout") && i + 1 < args.size()) {
            bool ok = false;
            timeoutSeconds = args[++i].toInt(&ok);
            // A day at most: the deadlines are milliseconds in an int.
            if (!ok || timeoutSeconds <= 0 || timeoutSeconds > 86400)
                return usageError(QStringLiteral("--timeout needs seconds from 1 to 86400"));
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
    if (settings.DialUp && !settings.UseQuillon) {
        err("tavelin-cli: no dial-up here; sending over the present connection\n");
        settings.DialUp = 0;
    }

    TerminalView view(settings);
    SendAllRun run(view, settings);
    if (timeoutSeconds > 0)
        run.deadlines = SmtpDeadlines::uniform(timeoutSeconds * 1000);

    // Ctrl-C is a cancel request: the mail in flight is finished first.
    bool interrupted = false;
    std::unique_ptr<QSocketNotifier> notifier;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_interruptPipe) == 0) {
        notifier = std::make_unique<QSocketNotifier>(g_interruptPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [&] {
            char byte;
            [[maybe_unused]] const auto got = ::read(g_interruptPipe[0], &byte, 1);
            interrupted = true;
            postMessage(&run, SendMsg::RunCancel);
        });
        std::signal(SIGINT, onInterrupt);
    }

    QEventLoop loop;
    QObject::connect(&run, &SendAllRun::finished, &loop, &QEventLoop::quit);
    run.sendAll();
    if (run.isActive())
        loop.exec();

    std::signal(SIGINT, SIG_DFL);
    notifier.reset();
    for (int &fd : g_interruptPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    // A run cancelled without Ctrl-C was stopped by a companion program that
    // did not start: the queue is not empty either.
    const bool stopped = interrupted || run.errorSeen() || run.cancelled();
    int status = ExitOk;
    if (interrupted)
        status = 130;
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
