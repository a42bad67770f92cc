// Returned mails in bulk: an mbox of real-looking delivery reports of the
// common servers (standard reports, Exim and qmail texts, delay notices),
// with the trace and signature fields real ones carry, each returning an
// original of 2 to 20 kB, written at run time; read as "tavelin-cli extract
// --report" reads it (the batch, the reader on every core, the count per
// address). Figures for a 50 MB and a 250 MB mbox, best of two runs each,
// with the peak memory of each run: it should not grow with the size. Where
// the labelled real bounces are beside the checkout, also an mbox of those
// repeated to 200 MB: short mails, most of them with a trimmed original.
#include "commands/BounceTally.h"
#include "commands/MailBatch.h"

#include "BenchSupport.h"
#include "PeakMemory.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// The trace and signature fields a mail picks up on its way: most of the
// fields of a real report and of the original it returns.
QByteArray received(QRandomGenerator &random, int hops)
{
    QByteArray fields;
    for (int hop = 0; hop < hops; ++hop)
        fields += "Received: from relay" + QByteArray::number(random.bounded(90)) +
                  ".example.net (relay.example.net [192.0.2." +
                  QByteArray::number(random.bounded(250)) +
                  "])\n\tby mx.example.jp (Postfix) with ESMTPS id 4Q" +
                  QByteArray::number(random.generate(), 16) +
                  "\n\tfor <owner@list.example.jp>; Mon, 7 Dec 2026 10:00:00 +0900 (JST)\n";
    return fields;
}

QByteArray original(QRandomGenerator &random, const QByteArray &to)
{
    QByteArray body =
        received(random, 2) +
        "DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=list.example.jp;\n"
        "\ts=mail; t=1796000000; bh=47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=;\n"
        "\th=From:To:Subject:Date:Message-ID;\n\tb=" +
        QByteArray(64, 'A') + "\nFrom: owner@list.example.jp\nTo: " + to +
        "\nSubject: [list:01234] weekly digest\nDate: Mon, 7 Dec 2026 09:59:00 +0900\n"
        "Message-ID: <" +
        QByteArray::number(random.generate()) +
        "@list.example.jp>\nMIME-Version: 1.0\n"
        "Content-Type: text/plain; charset=ISO-2022-JP\n"
        "Content-Transfer-Encoding: 7bit\nList-Id: <list.example.jp>\n"
        "List-Unsubscribe: <mailto:majordomo@example.jp?subject=unsubscribe>\n"
        "X-Mailer: Tavelin\nPrecedence: bulk\n\n";
    const int lines = 30 + int(random.bounded(250));
    for (int i = 0; i < lines; ++i)
        body += "This is line " + QByteArray::number(i) +
                " of the digest, as long as a line of text usually is.\n";
    return body;
}

QByteArray report(QRandomGenerator &random, int kind, const QByteArray &address,
                  const QByteArray &date)
{
    const QByteArray head =
        "Return-Path: <>\nDelivered-To: owner@list.example.jp\n" + received(random, 3) +
        "Date: " + date + "\nFrom: MAILER-DAEMON@mx" + QByteArray::number(kind) +
        ".example\nTo: owner@list.example.jp\nMessage-ID: <" +
        QByteArray::number(random.generate()) + "@mx.example>\nAuto-Submitted: auto-replied\n";
    const QByteArray dsn =
        "Content-Type: message/delivery-status\n\nReporting-MTA: dns; mx.example\n"
        "Arrival-Date: " +
        date + "\n\nFinal-Recipient: rfc822; " + address;
    switch (kind) {
    case 0: // a standard report, as Postfix and sendmail write it
    case 1:
        return head +
               "Subject: Undelivered Mail Returned to Sender\nMIME-Version: 1.0\n"
               "Content-Type: multipart/report; report-type=delivery-status; boundary=\"B\"\n\n"
               "--B\nContent-Type: text/plain\n\nThis is the mail system at host mx.example.\n\n<" +
               address + ">: host mail.example said: 550 5.1.1 User unknown\n\n--B\n" + dsn +
               "\nAction: failed\nStatus: 5.1.1\nDiagnostic-Code: smtp; 550 5.1.1 User unknown\n\n"
               "--B\nContent-Type: message/rfc822\n\n" +
               original(random, address) + "\n--B--\n";
    case 2: // Exim's text
        return head +
               "Subject: Mail delivery failed: returning message to sender\n"
               "X-Failed-Recipients: " +
               address +
               "\n\nThis message was created automatically by mail delivery software.\n\n"
               "A message that you sent could not be delivered to one or more of its\n"
               "recipients. This is a permanent error. The following address(es) failed:\n\n  " +
               address + "\n    SMTP error from remote mail server after RCPT TO:<" + address +
               ">:\n    550 5.1.1 No such user\n\n------ This is a copy of the message, including "
               "all the headers. ------\n\n" +
               original(random, address);
    case 3: // qmail's text
        return head +
               "Subject: failure notice\n\nHi. This is the qmail-send program at "
               "mx.example.\nI'm afraid I wasn't able to deliver your message to the "
               "following addresses.\nThis is a permanent error; I've given up. Sorry it "
               "didn't work out.\n\n<" +
               address +
               ">:\nSorry, no mailbox here by that name. (#5.1.1)\n\n--- Below this "
               "line is a copy of the message.\n\n" +
               original(random, address);
    default: // a delay notice: no address
        return head +
               "Subject: Delayed Mail (still being retried)\n"
               "Content-Type: multipart/report; report-type=delivery-status; boundary=\"B\"\n\n"
               "--B\nContent-Type: text/plain\n\nThe mail is delayed.\n\n--B\n" +
               dsn + "\nAction: delayed\nStatus: 4.4.1\n\n--B--\n";
    }
}

bool writeMbox(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator random(20261207);
    QByteArray chunk;
    qint64 written = 0;
    for (int n = 0; written + chunk.size() < size; ++n) {
        const QByteArray address = "member" + QByteArray::number(random.bounded(5000)) +
                                   "@example" + QByteArray::number(random.bounded(40)) + ".jp";
        const QByteArray date =
            "Mon, " + QByteArray::number(1 + n % 28) + " Dec 2026 10:00:00 +0900";
        chunk += "From MAILER-DAEMON Mon Dec  7 10:00:00 2026\n" +
                 report(random, int(random.bounded(5)), address, date) + "\n";
        if (chunk.size() >= (1 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    return file.write(chunk) == chunk.size() && file.flush();
}

// The real bounces as an mbox (lines that would start a message quoted),
// repeated to size.
bool writeFixtureMbox(const QString &path, qint64 size)
{
    const QString folder = sharedFixturesDir() + QStringLiteral("/bounces");
    QByteArray once;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.eml")}, QDir::Files)) {
        QFile file(folder + '/' + name);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QByteArray mail = file.readAll();
        mail.replace("\nFrom ", "\n>From ");
        once += "From MAILER-DAEMON Mon Dec  7 10:00:00 2026\n" + mail +
                (mail.endsWith('\n') ? "\n" : "\n\n");
    }
    QFile file(path);
    if (once.isEmpty() || !file.open(QIODevice::WriteOnly))
        return false;
    for (qint64 written = 0; written < size; written += once.size()) {
        if (file.write(once) != once.size())
            return false;
    }
    return file.flush();
}

void measure(const char *what, const QString &path)
{
    qsizetype mails = 0;
    qsizetype addresses = 0;
    qint64 peak = 0;
    const double ms = bestMs(2, [&] {
        resetPeakMemory();
        const qint64 before = peakKilobytes();
        MailBatch batch({path});
        BounceTally tally;
        ReadMailBatch(batch, false, tally);
        mails = tally.mailCount();
        addresses = tally.report().size();
        peak = std::max<qint64>(0, peakKilobytes() - before);
    });
    const double size = QFile(path).size() / 1e6;
    std::printf("%s %4.0f MB  %6lld mails  %8.0f ms  %5.0f MB/s  %5lld addresses  peak "
                "+%lld kB\n",
                what, size, qlonglong(mails), ms, size / (ms / 1e3), qlonglong(addresses),
                qlonglong(peak));
    QFile::remove(path);
}

} // namespace

int main()
{
    if (qEnvironmentVariableIsEmpty("TAVELIN_SOURCE_DIR"))
        qputenv("TAVELIN_SOURCE_DIR", TAVELIN_SOURCE_DIR);
    QTemporaryDir dir;
    for (const qint64 megabytes : {50, 250}) {
        const QString path = dir.filePath(QStringLiteral("box%1").arg(megabytes));
        if (!writeMbox(path, megabytes * 1000 * 1000)) {
            std::printf("cannot write %s\n", qPrintable(path));
            return 1;
        }
        measure("generated mbox", path);
    }
    if (!sharedFixturesDir().isEmpty()) {
        const QString path = dir.filePath(QStringLiteral("real"));
        if (!writeFixtureMbox(path, 200 * 1000 * 1000)) {
            std::printf("cannot write %s\n", qPrintable(path));
            return 1;
        }
        measure("real bounces  ", path);
    }
    return 0;
}
