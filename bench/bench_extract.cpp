// Address extraction on 100 MB mail files, written at run time: a delivery
// report listing addresses for 100 MB (LF and CR LF), a report whose heading
// comes only after 100 MB of transcript, a standard MIME report returning a
// 100 MB original, and a mail whose only From: line comes last. Each is read
// through ExtractAddresses, as the window and the CLI do; the best of three
// runs counts (the file is in the page cache). Then a typical 20 KB standard
// report, read many times. The peak memory of the process closes the list.
#include "commands/AddressExtraction.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kFileSize = 100 * 1000 * 1000;
constexpr int kRounds = 3;

// Writes head, then numbered lines from makeLine up to kFileSize, then tail.
template <typename MakeLine>
bool writeMail(const QString &path, const QByteArray &head, MakeLine makeLine,
               const QByteArray &tail)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk = head;
    qint64 written = 0;
    for (qint64 n = 0; written + chunk.size() < kFileSize; ++n) {
        chunk += makeLine(n);
        if (chunk.size() >= (1 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    chunk += tail;
    return file.write(chunk) == chunk.size() && file.flush();
}

void measure(const char *name, ExtractionRule rule, const QString &path)
{
    double bestSeconds = 1e300;
    ExtractionOutcome outcome;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        outcome = ExtractAddresses(rule, path);
        bestSeconds = std::min(bestSeconds, timer.nsecsElapsed() / 1e9);
    }
    const double megabytes = QFile(path).size() / 1e6;
    std::printf("%-36s %6.0f MB  %7.1f ms  %7.0f MB/s  field %lld bytes, %lld addresses\n", name,
                megabytes, bestSeconds * 1e3, megabytes / bestSeconds,
                qlonglong(outcome.fieldText.size()),
                qlonglong(outcome.fieldText.isEmpty() ? 0 : outcome.fieldText.count(',') + 1));
}

// A standard report (RFC 3464) as servers send it: notice, status, original.
QByteArray standardReport(const QByteArray &original)
{
    return "From: Mail Delivery System <MAILER-DAEMON@mx.example.jp>\n"
           "To: list-owner@example.org\nSubject: Undelivered Mail Returned to Sender\n"
           "MIME-Version: 1.0\nContent-Type: multipart/report; report-type=delivery-status;\n"
           "\tboundary=\"B.1\"\n\n--B.1\nContent-Type: text/plain; charset=us-ascii\n\n"
           "This is the mail system at host mx.example.jp.\n\nI'm sorry to have to inform you "
           "that your message could not\nbe delivered to one or more recipients.\n\n"
           "<member1@example.com>: host mx.example.com[192.0.2.1] said: 550 5.1.1\n"
           "    <member1@example.com>: Recipient address rejected: User unknown\n\n"
           "--B.1\nContent-Type: message/delivery-status\n\nReporting-MTA: dns; mx.example.jp\n"
           "Arrival-Date: Thu, 29 Apr 2021 23:34:45 +0900 (JST)\n\n"
           "Final-Recipient: rfc822; member1@example.com\n"
           "Original-Recipient: rfc822;member1@example.com\nAction: failed\nStatus: 5.1.1\n"
           "Diagnostic-Code: smtp; 550 5.1.1 <member1@example.com>: User unknown\n\n"
           "--B.1\nContent-Type: message/rfc822\n\n" +
           original + "\n--B.1--\n";
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QByteArray headers = "From: Mail Delivery Subsystem <MAILER-DAEMON@example.jp>\n"
                               "To: list-owner@example.org\n"
                               "Subject: Returned mail: see transcript for details\n\n";
    const QByteArray heading =
        "   ----- The following addresses had permanent fatal errors -----\n";
    const auto listed = [](qint64 n) {
        return "<member" + QByteArray::number(n) +
               "@example.com>\n    (reason: 550 5.1.1 User unknown)\n";
    };
    const auto transcript = [](qint64 n) {
        return "<<< 550 5.1.1 <member" + QByteArray::number(n) +
               "@example.com>... User unknown (while talking to mx.example.com.)\n";
    };

    const QString report = dir.filePath(QStringLiteral("report"));
    const QString reportCrLf = dir.filePath(QStringLiteral("report-crlf"));
    const QString lateHeading = dir.filePath(QStringLiteral("late-heading"));
    const QString lateFrom = dir.filePath(QStringLiteral("late-from"));
    const QString bigOriginal = dir.filePath(QStringLiteral("big-original"));
    const QByteArray mimeReport = standardReport("From: list@example.org\nSubject: s\n\n");
    const qsizetype originalAt = mimeReport.indexOf("\n--B.1--");
    const auto crlf = [&](qint64 n) { return listed(n).replace("\n", "\r\n"); };
    if (!writeMail(report, headers + heading, listed, "\n") ||
        !writeMail(reportCrLf, QByteArray(headers + heading).replace("\n", "\r\n"), crlf, "\r\n") ||
        !writeMail(lateHeading, headers, transcript, heading + "<last@example.com>\n\n") ||
        !writeMail(lateFrom, "Subject: no sender\n\n", transcript,
                   "From: Last <last@example.com>\n") ||
        !writeMail(bigOriginal, mimeReport.first(originalAt), transcript,
                   mimeReport.sliced(originalAt)))
        return 1;

    measure("unsubscribe: 100 MB list", ExtractionRule::ErrorMailAddresses, report);
    measure("unsubscribe: 100 MB list, CR LF", ExtractionRule::ErrorMailAddresses, reportCrLf);
    measure("unsubscribe: heading after 100 MB", ExtractionRule::ErrorMailAddresses, lateHeading);
    measure("unsubscribe: DSN, 100 MB original", ExtractionRule::ErrorMailAddresses, bigOriginal);
    measure("subscribe: From: after 100 MB", ExtractionRule::SenderAddress, lateFrom);

    // A typical report: 20 KB, most of it the returned original.
    QByteArray body;
    for (int n = 0; body.size() < 18 * 1024; ++n)
        body += "Line " + QByteArray::number(n) + " of the list mail that came back to us.\n";
    const QByteArray typical = standardReport("From: list@example.org\nSubject: s\n\n" + body);
    const QString typicalPath = dir.filePath(QStringLiteral("typical"));
    QFile typicalFile(typicalPath);
    if (!typicalFile.open(QIODevice::WriteOnly) || typicalFile.write(typical) != typical.size())
        return 1;
    typicalFile.close();
    constexpr int kCalls = 2000;
    double bestSeconds = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kCalls; ++i) {
            if (ExtractAddresses(ExtractionRule::ErrorMailAddresses, typicalPath).fieldText !=
                "member1@example.com")
                return 1;
        }
        bestSeconds = std::min(bestSeconds, timer.nsecsElapsed() / 1e9);
    }
    std::printf("%-36s %6.1f KB  %7.3f ms per mail\n", "unsubscribe: typical DSN",
                typical.size() / 1024.0, bestSeconds * 1e3 / kCalls);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory of all the above: %ld MB\n", usage.ru_maxrss / 1024);
    return 0;
}
