// Fetching from a real IMAP server: a maildir of 10 000 mails (the server's
// replies and returned mails) read by one fetch from dovecot on 127.0.0.1
// over TLS. Prints mails per second and the process's peak memory.
#include "DovecotServer.h"

#include "fetch/FetchRun.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>

#include <cstdio>

#include <sys/resource.h>

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The mails copied into the mailbox: every fixture reply and returned mail,
// or, without the shared fixtures, a reply and a report of our own.
QByteArrayList sampleMails()
{
    QByteArrayList mails;
    const QString fixtures = QStringLiteral(TAVELIN_SOURCE_DIR "/../shared/fixtures");
    for (const QString &folder : {QStringLiteral("/majordomo"), QStringLiteral("/bounces")}) {
        QDirIterator it(fixtures + folder, {QStringLiteral("*.eml")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly))
                mails.append(file.readAll());
        }
    }
    if (mails.isEmpty()) {
        mails.append(
            "From: Majordomo@example.com\nSubject: Majordomo results: who\n\n"
            ">>>> approve pw who testlist\nMembers of list 'testlist':\n\na@example.net\n\n"
            "1 subscriber\n\n>>>> end\nEND OF COMMANDS\n");
        mails.append("From: MAILER-DAEMON@example.net\nSubject: Undelivered Mail\n\n"
                     "The following addresses had permanent fatal errors -----\n"
                     "<gone@example.org>\n\n");
    }
    return mails;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qputenv("TAVELIN_SOURCE_DIR", TAVELIN_SOURCE_DIR);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (!DovecotServer::installed()) {
        std::printf("skipped: no dovecot-imapd\n");
        return 0;
    }
    DovecotServer server;
    const QByteArrayList samples = sampleMails();
    qint64 bytes = 0;
    for (int i = 0; i < count; ++i) {
        // Each a mail of its own: a Message-ID of its own comes first.
        const QByteArray mail = "Message-ID: <bench-" + QByteArray::number(i) + "@tavelin>\n" +
                                samples.at(i % samples.size());
        bytes += mail.size();
        if (!server.deliver(mail)) {
            std::printf("the maildir could not be written\n");
            return 1;
        }
    }
    if (!server.start()) {
        std::printf("dovecot: %s\n", qPrintable(server.error()));
        return 1;
    }
    qputenv("SSL_CERT_FILE", QFile::encodeName(server.caFile()));
    QTemporaryDir data;
    FetchRequest request;
    request.server = "127.0.0.1";
    request.port = server.tlsPort();
    request.user = DovecotServer::kUser;
    request.password = DovecotServer::kPassword;
    request.dataFolder = data.path();
    MailingListEntry list;
    list.Title = "Test list";
    list.Address = "Majordomo@example.com";
    list.ListName = "testlist";
    request.lists = {list};

    const long before = peakKiB();
    FetchRun run;
    QElapsedTimer timer;
    timer.start();
    const FetchSummary summary = run.run(request);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!summary.ok) {
        std::printf("fetch failed: %s\n", qPrintable(summary.error));
        return 1;
    }
    std::printf("fetch of %d mails (%.1f MB, %d replies, %d bounces, %d approvals): %.2f s, "
                "%.0f mails/s, %.1f MB/s\n",
                summary.read, bytes / 1e6, summary.count(MailKind::Reply),
                summary.count(MailKind::Bounce), summary.count(MailKind::Approval), seconds,
                summary.read / seconds, bytes / 1e6 / seconds);
    std::printf("peak memory: %.1f MB (%.1f MB before the fetch)\n", peakKiB() / 1024.0,
                before / 1024.0);
    timer.restart();
    const FetchSummary again = run.run(request);
    std::printf("second fetch (nothing new): %d mails, %.3f s\n", again.read,
                timer.nsecsElapsed() / 1e9);
    return 0;
}
