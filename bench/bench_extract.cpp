// Address extraction on 100 MB mail files, written at run time: a delivery
// report listing addresses for 100 MB (LF and CR LF), a report whose heading
// comes only after 100 MB of transcript, and a mail whose only From: line
// comes last. Each is read through ExtractAddresses, as the window and the
// CLI do; the best of three runs counts (the file is in the page cache).
#include "commands/AddressExtraction.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

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
    const auto crlf = [&](qint64 n) { return listed(n).replace("\n", "\r\n"); };
    if (!writeMail(report, headers + heading, listed, "\n") ||
        !writeMail(reportCrLf, QByteArray(headers + heading).replace("\n", "\r\n"), crlf, "\r\n") ||
        !writeMail(lateHeading, headers, transcript, heading + "<last@example.com>\n\n") ||
        !writeMail(lateFrom, "Subject: no sender\n\n", transcript,
                   "From: Last <last@example.com>\n"))
        return 1;

    measure("unsubscribe: 100 MB list", ExtractionRule::ErrorMailAddresses, report);
    measure("unsubscribe: 100 MB list, CR LF", ExtractionRule::ErrorMailAddresses, reportCrLf);
    measure("unsubscribe: heading after 100 MB", ExtractionRule::ErrorMailAddresses, lateHeading);
    measure("subscribe: From: after 100 MB", ExtractionRule::SenderAddress, lateFrom);
    return 0;
}
