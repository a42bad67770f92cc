// SMTP delivery speed: small queued files, one connection each, to a sink
// server on 127.0.0.1, in mails per second. Side by side in the same run:
// Tavelin's worker (one thread per delivery, as the send-all run uses it), a
// minimal blocking client doing the same exchange (the lower bound), and
// msmtp, one process per mail (skipped when it is not installed). Then the
// worker again with a login: STARTTLS and AUTH PLAIN to a TLS sink, one
// connection (and handshake) each, beside the same worker without TLS: with
// the session of the connection before resumed, and with a full handshake
// (certificate sent and verified) every time.
//
// bench_smtp [--mails N] [--msmtp-mails N] [--rounds N]
#include "SinkServer.h"

#include "send/SmtpSocket.h"
#include "send/SmtpWorker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const QByteArray kMail = "To: majordomo@example.org\r\n"
                         "From: owner@example.org\r\n"
                         "Subject: command\r\n"
                         "X-Tavelin-ML: mylist\r\n"
                         "\r\n"
                         "approve secret unsubscribe mylist member@example.org\r\n"
                         "end\r\n";

// Reads one reply (up to its final line) and checks its first digit.
bool rawReply(int fd, std::string &buffer, char expected)
{
    std::string line;
    do {
        if (!readLine(fd, buffer, line))
            return false;
    } while (line.size() >= 4 && line[3] == '-');
    return !line.empty() && line[0] == expected;
}

// The lower bound: the same exchange as Tavelin's, with blocking sockets.
bool rawDeliver(quint16 port, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Content and end of data in one write, with no delay: the best case.
    const QByteArray content = file.readAll() + ".\r\n";
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string buffer;
    auto command = [&](const char *text, char expected) {
        return sendAll(fd, text, strlen(text)) && rawReply(fd, buffer, expected);
    };
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
                    rawReply(fd, buffer, '2') && command("HELO bench\r\n", '2') &&
                    command("MAIL FROM:<owner@example.org>\r\n", '2') &&
                    command("RCPT TO:<majordomo@example.org>\r\n", '2') &&
                    command("DATA\r\n", '3') &&
                    sendAll(fd, content.constData(), size_t(content.size())) &&
                    rawReply(fd, buffer, '2') && command("QUIT\r\n", '2');
    ::close(fd);
    return ok;
}

// Tavelin: one SmtpWorker delivery after another, each started from the
// result handler of the one before, with progress lines, as the send-all
// run does.
int tavelinRound(quint16 port, const QStringList &files, const QByteArray &userName = {})
{
    QObject window;
    QEventLoop loop;
    SmtpWorker worker;
    SendJob job;
    qsizetype next = 0;
    int delivered = 0;
    // Progress lines and the result, as blocking calls to this thread.
    job.statusWindow = &window;
    job.onStatus = [](quint32, const QString &, int) {};
    job.resultWindow = &window;
    job.server = "127.0.0.1";
    job.port = port;
    job.userName = userName;
    job.password = "bench-password";
    job.onResult = [&](quint32, SendJob &done, bool ok) {
        delivered += ok ? 1 : 0;
        if (!ok || next == files.size()) {
            loop.quit();
            return;
        }
        done.mailFile = files.at(next++);
        worker.start(done);
    };
    job.mailFile = files.at(next++);
    worker.start(job);
    loop.exec();
    worker.wait(10000);
    return delivered;
}

int directRound(quint16 port, const QStringList &files)
{
    int delivered = 0;
    for (const QString &file : files) {
        CSmtpSocket socket;
        delivered += socket.Deliver("127.0.0.1", port, file) ? 1 : 0;
    }
    return delivered;
}

int rawRound(quint16 port, const QStringList &files)
{
    int delivered = 0;
    for (const QString &file : files)
        delivered += rawDeliver(port, file) ? 1 : 0;
    return delivered;
}

int msmtpRound(const QString &msmtp, quint16 port, const QStringList &files)
{
    const QByteArray program = msmtp.toLocal8Bit();
    const QByteArray portArg = "--port=" + QByteArray::number(port);
    int delivered = 0;
    for (const QString &file : files) {
        const QByteArray path = file.toLocal8Bit();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, path.constData(), O_RDONLY, 0);
        const char *argv[] = {
            program.constData(),     "-C",         "/dev/null", "--host=127.0.0.1",
            portArg.constData(),     "--auth=off", "--tls=off", "--from=owner@example.org",
            "majordomo@example.org", nullptr};
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, program.constData(), &actions, nullptr, const_cast<char **>(argv),
                        environ) == 0 &&
            waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0)
            ++delivered;
        posix_spawn_file_actions_destroy(&actions);
    }
    return delivered;
}

// Mails per second of one round; -1 when a mail failed.
template <typename Round> double rate(int mails, Round round)
{
    QElapsedTimer clock;
    clock.start();
    if (round() != mails)
        return -1;
    return mails * 1e9 / double(std::max<qint64>(1, clock.nsecsElapsed()));
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

int intOption(const QStringList &args, const QString &name, int fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? std::max(1, args.at(at + 1).toInt()) : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int mails = intOption(args, QStringLiteral("--mails"), 1000);
    const int msmtpMails = intOption(args, QStringLiteral("--msmtp-mails"), mails);
    const int rounds = intOption(args, QStringLiteral("--rounds"), 5);

    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < mails; ++i) {
        files << dir.filePath(QStringLiteral("tvl%1.TMP").arg(i, 0, 16).toUpper());
        QFile file(files.last());
        if (!file.open(QIODevice::WriteOnly) || file.write(kMail) != kMail.size()) {
            std::fprintf(stderr, "bench_smtp: cannot write %s\n", qPrintable(files.last()));
            return 1;
        }
    }
    Sink sink;
    if (!sink.start()) {
        std::fprintf(stderr, "bench_smtp: the sink cannot listen\n");
        return 1;
    }

    std::printf("%d small mails (%d bytes), one connection each, sink on 127.0.0.1;\n"
                "median of %d interleaved rounds\n",
                mails, int(kMail.size()), rounds);
    // Rounds alternate between the clients, so that a change in the
    // machine's load falls on all of them alike.
    QList<double> worker;
    QList<double> direct;
    QList<double> raw;
    for (int i = 0; i < rounds; ++i) {
        worker << rate(mails, [&] { return tavelinRound(sink.port(), files); });
        direct << rate(mails, [&] { return directRound(sink.port(), files); });
        raw << rate(mails, [&] { return rawRound(sink.port(), files); });
    }
    const double tavelin = median(worker);
    std::printf("  tavelin, worker thread              %8.0f mails/s\n", tavelin);
    std::printf("  tavelin, on the calling thread      %8.0f mails/s\n", median(direct));
    std::printf("  raw blocking client (lower bound)   %8.0f mails/s\n", median(raw));
    if (tavelin > 0 && median(raw) > 0)
        std::printf("  tavelin / raw                       %8.2f\n", tavelin / median(raw));

    const QString msmtp = QStandardPaths::findExecutable(QStringLiteral("msmtp"));
    if (msmtp.isEmpty()) {
        std::printf("  msmtp                               not installed, skipped\n");
    } else {
        const double viaMsmtp = rate(
            msmtpMails, [&] { return msmtpRound(msmtp, sink.port(), files.mid(0, msmtpMails)); });
        std::printf("  msmtp, a process per mail (%d)    %8.1f mails/s\n", msmtpMails, viaMsmtp);
        if (tavelin > 0 && viaMsmtp > 0)
            std::printf("  tavelin / msmtp                     %8.1f\n", tavelin / viaMsmtp);
    }

    // STARTTLS and a login, the way a provider's submission port takes mail.
    const QString certs = dir.filePath(QStringLiteral("certs"));
    QDir().mkpath(certs);
    QProcess maker;
    maker.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral(TAVELIN_SOURCE_DIR "/tests/support/make_test_certs.py"), certs});
    // One sink makes every connection a full handshake, the other resumes
    // the session of the connection before, as a mail provider's server does.
    TlsSink fullSink;
    TlsSink resumingSink;
    const QByteArray cert = QFile::encodeName(certs + QStringLiteral("/good.pem"));
    const QByteArray key = QFile::encodeName(certs + QStringLiteral("/good.key"));
    if (!maker.waitForFinished(60000) || maker.exitCode() != 0 ||
        !fullSink.start(cert.constData(), key.constData(), false) ||
        !resumingSink.start(cert.constData(), key.constData(), true)) {
        std::printf("  STARTTLS + AUTH                     no certificates or TLS sink, skipped\n");
    } else {
        qputenv("SSL_CERT_FILE", QFile::encodeName(certs + QStringLiteral("/ca.pem")));
        QList<double> full;
        QList<double> resumed;
        QList<double> plain;
        for (int i = 0; i < rounds; ++i) {
            full << rate(mails, [&] { return tavelinRound(fullSink.port(), files, "owner"); });
            resumed << rate(mails,
                            [&] { return tavelinRound(resumingSink.port(), files, "owner"); });
            plain << rate(mails, [&] { return tavelinRound(sink.port(), files); });
        }
        const double base = median(plain);
        auto row = [base](const char *label, double value) {
            std::printf("  %-35s %8.0f mails/s", label, value);
            if (value > 0 && base > 0)
                std::printf("   %.2f of plain", value / base);
            std::printf("\n");
        };
        row("worker, plain (same rounds)", base);
        row("worker, STARTTLS + AUTH PLAIN", median(resumed));
        std::printf("    (sessions resumed: %d of %d connections)\n", resumingSink.resumed(),
                    rounds * mails);
        row("  the same, full handshake each", median(full));
        fullSink.stop();
        resumingSink.stop();
    }
    sink.stop();
    return 0;
}
