// Address extraction from returned mails: the address walk, both rules on
// mails read in pieces of every size, the window's decision, real returned
// mails and tavelin-cli extract.
#include "commands/AddressExtraction.h"
#include "commands/AddressSet.h"
#include "commands/ReturnedMail.h"
#include "common/LineStream.h"

#include "CliRun.h"
#include "PeakMemory.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/stat.h>

namespace {

using Rule = ExtractionResult (*)(QIODevice &, qsizetype);

// Sizes that split the short mails below at every place (lines, markers, CR
// runs, "From:"), and the default that keeps their lines whole.
const qsizetype kBufferSizes[] = {1, 2, 3, 5, 8, 13, 64, LineStream::DefaultBufferSize};

const QString kNothingExtracted = QStringLiteral("ｱﾄﾞﾚｽを抽出できませんでした");

ExtractionResult run(Rule rule, const QByteArray &mail, qsizetype bufferSize)
{
    QBuffer buffer;
    buffer.setData(mail);
    buffer.open(QIODevice::ReadOnly);
    return rule(buffer, bufferSize);
}

// Every buffer size must give expected as the field text.
void checkAtEverySize(Rule rule, const QByteArray &mail, const QByteArray &expected)
{
    for (qsizetype size : kBufferSizes) {
        const ExtractionResult result = run(rule, mail, size);
        const QByteArray got = JoinAddresses(result.addresses);
        QVERIFY2(result.error.isEmpty() && got == expected,
                 qPrintable(
                     QStringLiteral("buffer %1: got '%2' %3")
                         .arg(size)
                         .arg(QString::fromLatin1(got.toPercentEncoding("@<>,. ")), result.error)));
    }
}

// Gives its bytes, then fails as a disk or network file system can.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(QByteArray bytes) : m_bytes(std::move(bytes)) { open(ReadOnly); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_bytes.isEmpty()) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 count = std::min<qint64>(maxSize, m_bytes.size());
        std::memcpy(data, m_bytes.constData(), size_t(count));
        m_bytes.remove(0, count);
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
};

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

const QByteArray kReport = "Subject: Returned mail: see transcript for details\n"
                           "\n"
                           "   ----- The following addresses had permanent fatal errors -----\n"
                           "<a@example.com>\n"
                           "    (reason: 550 5.1.1 User unknown)\n"
                           "<b@example.org>\n"
                           "    (reason: 550 Host unknown)\n"
                           "<c@example.net>\n"
                           "    (reason: 552 Mailbox full)\n"
                           "\n"
                           "   ----- Transcript of session follows -----\n"
                           "550 5.1.1 <d@example.com>... User unknown\n";

const QByteArray kApproval = "From: Majordomo@example.com\n"
                             "\n"
                             "outsider@example.net requests that you approve the following:\n"
                             "\n"
                             "\tsubscribe testlist outsider@example.net\n"
                             "\n"
                             " \tapprove PASSWORD \\\n";

// A file that grows by 64 kB at every read, as a log or a mailbox being
// written to can.
class GrowingFile : public QFile
{
public:
    using QFile::QFile;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        QFile tail(fileName());
        if (tail.open(QIODevice::Append))
            tail.write(QByteArray(64 * 1024, 'x').append('\n'));
        return QFile::readData(data, maxSize);
    }
};

} // namespace

class TestExtraction : public QObject
{
    Q_OBJECT

private slots:
    void reducesTextToAddress_data();
    void reducesTextToAddress();
    void addressSetKeepsEachAddressOnceInOrder();
    void errorMailRule_data();
    void errorMailRule();
    void senderRule_data();
    void senderRule();
    void windowGetsFieldAndMessage();
    void survivesHostileInput();
    void reportsReadFailure();
    void neverOpensWhatIsNoPlainFile();
    void realReturnedMails();
    void eachLayoutReadsItsRealMail_data();
    void eachLayoutReadsItsRealMail();
    void readsAHundredMegabyteReportInBoundedMemory();
    void refusesMailsPastTheBoundsInBoundedMemory_data();
    void refusesMailsPastTheBoundsInBoundedMemory();
    void readsAGrowingFileNoFurtherThanItsSizeAtTheOpen();
    void cliPrintsFieldText();
};

void TestExtraction::reducesTextToAddress_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("address");
    QTest::newRow("display name, brackets")
        << QByteArray("Taro Yamada <taro@example.jp>") << QByteArray("taro@example.jp");
    QTest::newRow("comment after")
        << QByteArray("taro@example.jp (Taro Yamada)") << QByteArray("taro@example.jp");
    QTest::newRow("quoted name with comma")
        << QByteArray("\"Yamada, Taro\" <taro@example.jp>") << QByteArray("taro@example.jp");
    QTest::newRow("quoted name with brackets")
        << QByteArray("\"Boss <boss@example.com>\" <taro@example.jp>")
        << QByteArray("taro@example.jp");
    QTest::newRow("empty brackets first")
        << QByteArray("<> taro@example.jp") << QByteArray("taro@example.jp");
    QTest::newRow("two words run together")
        << QByteArray("taro yamada") << QByteArray("taroyamada");
    QTest::newRow("comment only") << QByteArray("  (taro@example.jp)") << QByteArray();
    QTest::newRow("first closing bracket ends")
        << QByteArray("<a@example.com> and <b@example.com>") << QByteArray("a@example.com");
    QTest::newRow("quoting prefix >")
        << QByteArray("> a@example.com") << QByteArray("a@example.com");
    QTest::newRow("unclosed comment") << QByteArray("a@x (reason <b@y>") << QByteArray("a@x");
    QTest::newRow("unclosed quote") << QByteArray("a@x \"Name <b@y>") << QByteArray("a@x");
    QTest::newRow("nested comment")
        << QByteArray("(reason: see http://x/?id=1 (AS16012609)) a@x") << QByteArray("a@x");
    QTest::newRow("lone closing parenthesis kept") << QByteArray(")a@x") << QByteArray(")a@x");
    QTest::newRow("tabs and CRs are blanks") << QByteArray("\ta@\rx\t") << QByteArray("a@x");
    QTest::newRow("tab-indented reason") << QByteArray("\t(reason: 550)") << QByteArray();
    // Shift-JIS 山田 (0x8E 0x52 0x93 0x63) and 表 (0x95 0x5C).
    QTest::newRow("shift-jis name") << QByteArray("\x8E\x52\x93\x63 <t@x>") << QByteArray("t@x");
    QTest::newRow("shift-jis kept") << QByteArray("\x95\x5C@x") << QByteArray("\x95\x5C@x");
    QTest::newRow("NUL kept") << QByteArray("a\0b@x", 5) << QByteArray("a\0b@x", 5);
}

void TestExtraction::reducesTextToAddress()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, address);
    QCOMPARE(ParseMailAddress(text), address);
}

// Letter case aside, each address once, in the order first seen, also past
// many growths of the table and for addresses whose hashes collide in it.
void TestExtraction::addressSetKeepsEachAddressOnceInOrder()
{
    AddressSet set;
    QVERIFY(set.add("Taro@Example.JP", "a"));
    QVERIFY(!set.add("taro@example.jp", "b"));
    QVERIFY(set.contains("TARO@EXAMPLE.JP"));
    QVERIFY(!set.contains("taro@example.j"));
    QCOMPARE(set.found().value(0).address, QByteArray("Taro@Example.JP"));
    QCOMPARE(QByteArray(set.found().value(0).rule), QByteArray("a"));
    for (int i = 0; i < 100000; ++i)
        set.add("u" + QByteArray::number(i) + "@x", "n");
    for (int i = 0; i < 100000; i += 7)
        QVERIFY(!set.add("U" + QByteArray::number(i) + "@X", "n"));
    QCOMPARE(set.size(), 100001);
    QCOMPARE(set.found().at(54322).address, QByteArray("u54321@x"));
    QVERIFY(!set.contains("u100000@x"));
}

void TestExtraction::errorMailRule_data()
{
    QTest::addColumn<QByteArray>("mail");
    QTest::addColumn<QByteArray>("field");
    const QByteArray three = "a@example.com,b@example.org,c@example.net";
    QTest::newRow("three listed, reasons skipped") << kReport << three;
    QByteArray cut = kReport;
    cut.replace("<b@example.org>\n    (reason: 550 Host unknown)\n",
                "<b@example.org>\n\n    (reason: 550 Host unknown)\n");
    QTest::newRow("empty line after the second")
        << cut << QByteArray("a@example.com,b@example.org");
    QTest::newRow("CR LF") << QByteArray(kReport).replace("\n", "\r\n") << three;
    QTest::newRow("CR CR LF") << QByteArray(kReport).replace("\n", "\r\r\n") << three;
    QTest::newRow("CR inside a line is a blank")
        << QByteArray("The following addresses\na\rb@x\r\n") << QByteArray("ab@x");
    QTest::newRow("blank line does not end the list")
        << QByteArray("The following addresses\n<a@x>\n  \t \n<b@y>\n\nc@z\n")
        << QByteArray("a@x,b@y");
    QTest::newRow("reason holding parentheses")
        << QByteArray("The following addresses\n<a@x>\n    (reason: 550 see (AS1601))\n\n")
        << QByteArray("a@x");
    QTest::newRow("list to the end, no last LF")
        << QByteArray("The following addresses\n<a@x>\nb@y") << QByteArray("a@x,b@y");
    QTest::newRow("each address once, letter case ignored")
        << QByteArray("The following addresses\na@x\n<A@x>\n") << QByteArray("a@x");
    QTest::newRow("marker is case-sensitive")
        << QByteArray("the following addresses\n<a@x>\n") << QByteArray();
    QTest::newRow("no marker") << QByteArray("From: a@x\n\n<b@y>\n") << QByteArray();
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("approval, tab-indented") << kApproval << QByteArray("outsider@example.net");
    const QByteArray ask = "x@y requests that you approve the following:\n\n";
    QTest::newRow("approval, display name")
        << ask + "\tsubscribe birders Joe User <User@Fubar.COM>\n"
        << QByteArray("User@Fubar.COM");
    QTest::newRow("approval, comment") << ask + "\tunsubscribe birders joe@fubar.com (Joe User)\n"
                                       << QByteArray("joe@fubar.com");
    QTest::newRow("approval, runs of blanks") << ask + "  subscribe   birders \t joe@fubar.com\n"
                                              << QByteArray("joe@fubar.com");
    QTest::newRow("approval, no list name") << ask + "subscribe joe@fubar.com\n"
                                            << QByteArray("joe@fubar.com");
    QTest::newRow("approval ends after marker") << ask.chopped(1) << QByteArray();
    QTest::newRow("approval ends after empty line") << ask << QByteArray();
    QTest::newRow("approval above heading")
        << ask + "\tsubscribe l a@x\n\nThe following addresses\n<b@y>\n"
        << QByteArray("a@x");
    QTest::newRow("heading above approval")
        << QByteArray("The following addresses\n<b@y>\n\n") + ask + "\tsubscribe l a@x\n"
        << QByteArray("b@y");
    QTest::newRow("both markers on one line: heading")
        << QByteArray("The following addresses requests that you approve the following\n"
                      "<a@x>\n\n<b@y>\n")
        << QByteArray("a@x");
    // Standard reports: the delivery-status part decides, Original-Recipient
    // before Final-Recipient, failed recipients only; encoded text is decoded.
    const QByteArray dsn = "Content-Type: multipart/report; report-type=delivery-status; b=\"B\"\n"
                           "Content-Type: multipart/report; report-type=delivery-status;"
                           " boundary=\"B\"\n\n--B\nContent-Type: text/plain\n\n"
                           "The following addresses had permanent fatal errors\n<x@text>\n\n"
                           "--B\nContent-Type: message/delivery-status\n\n"
                           "Reporting-MTA: dns; mx\n\n"
                           "Final-Recipient: rfc822; fwd@x\nOriginal-Recipient: rfc822;<a@x>\n"
                           "Action: failed\n\n"
                           "Final-Recipient: rfc822; late@x\nAction: delayed\n\n"
                           "Final-Recipient: rfc822; ok@x\nAction: delivered\n\n"
                           "Final-Recipient : rfc/822;b@y\nAction : failure\n\n"
                           "Final-Recipient: rfc822; c@y\nStatus: 5.1.1\n\n"
                           "Final-Recipient: rfc822; soon@y\nStatus: 4.2.2\n"
                           "--B\nContent-Type: message/rfc822\n\nFrom: me@x\n\n"
                           "The following addresses\n<orig@x>\n\n--B--\n";
    // A group without Action says it with its status class.
    QTest::newRow("DSN: failed only, original first") << dsn << QByteArray("a@x,b@y,c@y");
    QTest::newRow("DSN: delays only give nothing")
        << QByteArray(dsn)
               .replace("Action: failed", "Action: delayed")
               .replace("Action : failure", "Action: relayed")
               .replace("Status: 5.1.1", "Status: 4.4.7")
        << QByteArray();
    QTest::newRow("base64 text, quoted original skipped")
        << "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=B\n\n--B\n"
           "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\n" +
               QByteArray("<a@x>: host said: 550 <c@z>: unknown\n").toBase64() +
               "\n--B\nContent-Type: message/rfc822\n\nFrom: o@x\n\n<b@y>: no\n--B--\n"
        << QByteArray("a@x");
    // The structure as mail programs write it, odd places and all: the
    // delivery-status part is found only where the parts are.
    const QByteArray status = "Content-Type: message/delivery-status\n\n"
                              "Final-Recipient: rfc822; a@x\nAction: failed\n\n";
    const QByteArray report = "Content-Type: multipart/report; boundary=\"B\"\n\n";
    QTest::newRow("boundaries with blanks after them, the last one too")
        << report + "--B \n" + status +
               "--B--\t\n\nFinal-Recipient: rfc822; junk@x\nAction: failed\n"
        << QByteArray("a@x");
    QTest::newRow("a part's header block cut by a boundary")
        << report + "--B\nContent-Type: text/plain\n--B\n" + status + "--B--\n"
        << QByteArray("a@x");
    QTest::newRow("an outer boundary closes the parts inside")
        << report + "--B\nContent-Type: multipart/alternative; boundary=C\n\n--C\n\nhello\n--B\n" +
               status + "--B--\n"
        << QByteArray("a@x");
    QTest::newRow("lines of a part's header block that are no fields")
        << report + "--B\nnot a field\nContent-Type: message/delivery-status\n\n"
                    "Final-Recipient: rfc822; a@x\nAction: failed\n--B--\n"
        << QByteArray("a@x");
    QTest::newRow("an end boundary with text after it ends nothing")
        << report + "--B\n" + status +
               "--B--more\n\nFinal-Recipient: rfc822; b@y\n"
               "Action: failed\n--B--\n"
        << QByteArray("a@x,b@y");
    QTest::newRow("CR LF report")
        << QByteArray(report + "--B\n" + status + "--B--\n").replace("\n", "\r\n")
        << QByteArray("a@x");
    QTest::newRow("a quoted mbox From line opens the mail")
        << QByteArray(">From MAILER-DAEMON Mon Dec  7 10:00:00 2026\nX-Failed-Recipients: a@x\n"
                      "Content-Type: text/plain\n\nmail failed\n")
        << QByteArray("a@x");
    QTest::newRow("quoted-printable text, an address over a soft line break")
        << QByteArray(
               "Content-Type: multipart/mixed; boundary=B\n\n--B\nContent-Type: text/plain\n"
               "Content-Transfer-Encoding: Quoted-Printable \n\nThe following addresses\n<a@exam=\n"
               "ple.com>\n--B--\n")
        << QByteArray("a@example.com");
    // The report's type is its body's: a complaint about a delivered mail
    // names no failed recipient, whatever its text says.
    QTest::newRow("feedback report")
        << QByteArray("From: MAILER-DAEMON@isp.example\nContent-Type: multipart/report; "
                      "report-type=feedback-report; boundary=F\n\n--F\nContent-Type: text/plain\n\n"
                      "<victim@x.example>: host mx.x.example said: 550 5.1.1 User unknown\n--F--\n")
        << QByteArray();
    QTest::newRow("Japanese delay notice")
        << QByteArray("From: MAILER-DAEMON@isp.example\nContent-Type: text/plain; charset=UTF-8\n\n"
                      "\xe9\x85\x8d\xe9\x80\x81\xe3\x81\x8c\xe9\x81\x85\xe3\x82\x8c"
                      "\xe3\x81\xa6\xe3\x81\x84\xe3\x81\xbe\xe3\x81\x99\n\n  late@x.example\n")
        << QByteArray();
    QTest::newRow("list stops at reasons, quotes and delays")
        << QByteArray("The following addresses had transient non-fatal errors\n<late@x>\n\n"
                      "> The following addresses had permanent fatal errors\n> <a@x>\n"
                      ">     (reason: 550 <c@z>... unknown)\n<b@y>\n\n"
                      "550 5.1.1 <t@x>... User unknown\n")
        << QByteArray("a@x");
    QTest::newRow("shift-jis reason") << QByteArray("The following addresses\n<a@x>\n"
                                                    "  (\x88\xB6\x90\xE6\x95\x73\x96\xBE)\n")
                                      << QByteArray("a@x");

    // The layouts of servers as they write them in general, and their delay
    // notices, which name recipients that have not failed.
    QTest::newRow("Exchange 2003 list")
        << QByteArray("Your message did not reach some or all of the intended recipients.\n\n"
                      "The following recipient(s) could not be reached:\n\n"
                      "      a@x on 12/1/2026 10:00 AM\n"
                      "            The e-mail account does not exist.\n"
                      "            <mx.x #5.1.1>\n\n")
        << QByteArray("a@x");
    QTest::newRow("Exchange 2010 list")
        << QByteArray("Delivery has failed to these recipients or groups:\n\n'a@x'\n"
                      "The e-mail address you entered couldn't be found.\n\n")
        << QByteArray("a@x");
    QTest::newRow("Office 365 line") << QByteArray("Your message to a@x couldn't be delivered.\n"
                                                   "Your message to b@x has been delayed.\n")
                                     << QByteArray("a@x");
    QTest::newRow("Domino line") << QByteArray(
                                        "Your document:\tHello\nwas not delivered to:\ta@x\n"
                                        "because:\tUser a@x not listed in Domino Directory\n")
                                 << QByteArray("a@x");
    QTest::newRow("Gmail line")
        << QByteArray("Your message wasn't delivered to a@x because the address couldn't be "
                      "found.\n")
        << QByteArray("a@x");
    QTest::newRow("RCPT TO refused in a transcript")
        << QByteArray("--- Transcript ---\n>>> RCPT TO:<a@x>\n<<< 550 5.1.1 unknown\n"
                      ">>> RCPT TO:<b@x>\n<<< 451 4.3.0 try later\n")
        << QByteArray("a@x");
    QTest::newRow("Postfix delay notice")
        << QByteArray("# THIS IS A WARNING ONLY.  YOU DO NOT NEED TO RESEND YOUR MESSAGE. #\n\n"
                      "<a@x>: host mx.x said: 450 try again later\n")
        << QByteArray();
    QTest::newRow("Exim delay notice")
        << QByteArray("A message that you sent has not yet been delivered to one or more of\n"
                      "The following address has not yet been delivered:\n\n  a@x\n\n")
        << QByteArray();
    QTest::newRow("Gmail delay notice")
        << QByteArray("There was a temporary problem delivering your message to a@x.\n")
        << QByteArray();
    QTest::newRow("Exchange delay notice")
        << QByteArray("Delivery is delayed to these recipients or groups:\n\na@x\n\n")
        << QByteArray();
    QTest::newRow("Exchange paragraphs, names and mailto links")
        << QByteArray("Delivery has failed to these recipients or groups:\n\n"
                      "Taro (a@x)<mailto:a@x>\nThe e-mail address couldn't be found.\n\n"
                      "b@x\nThe mailbox is full.\n\nDiagnostic information for administrators:\n\n"
                      "c@x\n#550 5.1.1 RESOLVER.ADR.RecipNotFound ##\n")
        << QByteArray("a@x,b@x");
    QTest::newRow("Exim paragraphs, the address the list sent to")
        << QByteArray("The following address(es) failed:\n\n  fwd@x\n    generated by a@x\n"
                      "    550 5.1.1 <fwd@x>: unknown\n\n  b@x\n    Unrouteable address\n\n"
                      "------ This is a copy of the message ------\n\nTo: c@x\n")
        << QByteArray("a@x,b@x");
    QTest::newRow("a remark after a list's empty line is no recipient")
        << QByteArray("The following recipients did not receive this message:\n\n<a@x>\n\n"
                      "Please reply to <postmaster@x>\nif you feel this message to be in error.\n")
        << QByteArray("a@x");
    QTest::newRow("labelled recipients, original address")
        << QByteArray("Your message cannot be delivered to the following recipients:\n\n"
                      "  Recipient address: fwd@x\n  Original address: a@x\n"
                      "  Reason: Remote SMTP server has rejected address\n"
                      "  Diagnostic code: smtp;550 5.1.1 <fwd@x>... unknown\n\n"
                      "Each of the following recipients was rejected:\n\n"
                      "    Recipient: <b@x>\n    Reason:    5.1.1 <b@x>... User unknown\n")
        << QByteArray("a@x,b@x");
    QTest::newRow("Postfix text, expanded from")
        << QByteArray("<fwd@x> (expanded from <a@x>): host mx said: 550 unknown\n")
        << QByteArray("a@x");
    QTest::newRow("marker line ending before its list")
        << QByteArray("Your message\n\n  Subject: hi\n\nwas not delivered to:\n\n  a@x\n\n"
                      "because:\n\n  User b@x not listed\n")
        << QByteArray("a@x");
    QTest::newRow("GroupWise list, quoted address line")
        << QByteArray("The message that you sent was undeliverable to the following:\n"
                      "\ta@x (user not found)\n\nMessage delivery to 'b@x' failed:\n")
        << QByteArray("a@x,b@x");
    QTest::newRow("Exim marker on its second line, sendmail local transcript")
        << QByteArray("could not be delivered to one or more of its recipients. The following\n"
                      "address(es) failed:\n\n  a@x\n    Unrouteable address\n\n  b@x\n"
                      "    Mailbox is full\n\n----- Transcript of session follows -----\n"
                      "550 5.1.1 c@x... User unknown\n")
        << QByteArray("a@x,b@x");
    QTest::newRow("sendmail local transcript alone")
        << QByteArray("----- Transcript of session follows -----\n550 5.1.1 c@x... User unknown\n")
        << QByteArray("c@x");
    QTest::newRow("Gmail and Exchange delay notices, recipient paragraphs")
        << QByteArray("Message will be retried for 2 more day(s)\n\n<a@x>: 451 later\n"
                      "Delivery will continue to be attempted.\n<b@x>: 451 later\n")
        << QByteArray();
    QTest::newRow("Courier delay notice")
        << QByteArray("                        DELAYS IN DELIVERING YOUR MESSAGE\n\n"
                      "This is a warning message only.  Your message has not been delivered to\n"
                      "one or more recipients yet:\n\n<a@x>:\n<<< 421 4.7.0 later\n")
        << QByteArray();
    QTest::newRow("OpenSMTPD, MailFoundry, Notes")
        << QByteArray("Unable to deliver message to: <d@x>\n\n------- Failure Reasons  --------\n\n"
                      "User not listed in public Name & Address Book\ne@x\n\n"
                      "An error has occurred while attempting to deliver a message for\n"
                      "the following list of recipients:\n\na@x: 550 5.1.1 unknown\n\n"
                      "b@x: 550 5.1.1 unknown\n\nBelow is a copy of the original message:\n\n"
                      "<c@x>: no\n")
        << QByteArray("d@x,e@x,a@x,b@x");
    QTest::newRow("transcript replies after words")
        << QByteArray("Sent <<< RCPT TO:<a@x>\nReceived >>> 550 5.1.1 unknown\n"
                      "hMailServer sent: RCPT TO:<b@x>\nRemote server replied: 550 no such user\n"
                      " Thu 2010-03-04 12:12:12: --> RCPT To:<c@x>\n"
                      " Thu 2010-03-04 12:12:12: <-- 550 5.1.1 <c@x>... User unknown\n"
                      " Thu 2010-03-04 12:12:13: --> RCPT To:<d@x>\n"
                      " Thu 2010-03-04 12:12:13: <-- 250 2.1.5 Ok, 550 more\n")
        << QByteArray("a@x,b@x,c@x");
    QTest::newRow("delivery success notice")
        << QByteArray("Your message was successfully delivered to the destination(s)\n"
                      "listed below.\n\n<a@x>: delivery via mx[192.0.2.1]:25: 250 2.0.0 Ok\n")
        << QByteArray();
    QTest::newRow("lists of delayed or delivered recipients, more delay notices")
        << QByteArray("Delivery to the following recipients has been delayed.\n\n   a@x\n\n"
                      "Delivery to the following recipients succeeded.\n\n   b@x\n\n"
                      "Your message has been delivered to the following recipients:\n\nc@x\n\n"
                      "the following list of recipients:\n\nd@x: 421 later\n\n"
                      "Please note that this is only a temporary failure report.\n"
                      "Your message couldn't be delivered to e@x yet. Gmail will retry.\n")
        << QByteArray();
    QTest::newRow("Office 365 line, recipient after the verb")
        << QByteArray("Your message couldn't be delivered to a@x because the remote server "
                      "is misconfigured.\n")
        << QByteArray("a@x");
    QTest::newRow("address types and links, a recipient on the marker's line")
        << QByteArray("The following recipient could not be reached: c@x\n\n"
                      "Your message to b@x<mailto:b@x> couldn't be delivered.\n\n"
                      "did not reach the following recipient(s):\n\nSMTP:a@x on 3/2/2021\n\n"
                      "Failed to deliver to '<d@x>'\n")
        << QByteArray("c@x,b@x,a@x,d@x");
    QTest::newRow("Exim malformed address, the bracketed one")
        << QByteArray("A message that you sent contained one or more recipient addresses that "
                      "were\nincorrectly constructed:\n\n  x@y <a@x>: malformed address: <a@x> "
                      "may not follow x@y\n\nThis address has been ignored.\n")
        << QByteArray("a@x");
    // Where no layout matched, a delivery report's own words: a failure
    // sentence naming an address, or a failure line above a list; never a
    // server's mailbox or the report's own addresses, never in a header
    // block, and never in a mail that is no delivery report.
    const QByteArray daemon = "From: Mail Delivery System <MAILER-DAEMON@mx>\nTo: l@list\n"
                              "Subject: Undeliverable\n\n";
    QTest::newRow("failure sentences in a report")
        << daemon + "** Message blocked **\n\nYour message to a@x has been blocked.\n\n"
                    "b@x, ERROR CODE :550 - mailbox unavailable\n"
                    "Please contact postmaster@x if this was rejected in error.\n"
                    "Sender l@list refused.\nThe mail from sender m@y to c@x was rejected.\n"
        << QByteArray("a@x,b@x,c@x");
    QTest::newRow("failure line above a list in a report")
        << daemon + "Delivery failed for these addresses:\n\n  a@x\n    550 unknown\n\n  b@x\n"
        << QByteArray("a@x,b@x");
    QTest::newRow("administrators' section where the list names no address")
        << daemon + "Delivery has failed to these recipients or groups:\n\nTaro Yamada\n"
                    "The e-mail address couldn't be found.\n\n"
                    "Diagnostic information for administrators:\n\nGenerating server: mx\n"
                    "Receiving server: mx2\n\na@x\n#550 5.1.1 RESOLVER.ADR.RecipNotFound ##\n"
        << QByteArray("a@x");
    QTest::newRow("failure words after a delayed list, or in no report")
        << QByteArray(daemon).append(
               "Delivery is delayed to these recipients or groups:\n\nTaro\n\n"
               "Diagnostic information for administrators:\n\na@x\n"
               "Remote Server returned '450 4.4.7 expired'\n") +
               "From: a@x\nSubject: hello\n\nYour message to b@x was rejected: unknown.\n"
        << QByteArray();
    QTest::newRow("recipient alone or labelled in a report, not the sender, up to a quoted header")
        << daemon + "Message could not be delivered.\n\nSender:\n  m@y\nFrom: n@y, o@y\n\n"
                    "Recipient: a@x\nReason: 550 unknown\n\n"
                    "  <b@x>\n\nReturn-Path: <c@x>\nReceived: by mx\n\nd@x\n"
        << QByteArray("a@x,b@x");
    QTest::newRow("delay words in a report's own words or under a listed recipient")
        << daemon + "Your message has been delayed and is still awaiting delivery to:\n\na@x\n\n"
                    "Unable to deliver message to the following address(es).\n\n<b@x>:\n"
                    "Host unreachable; will keep retrying for 3 days.\n"
        << QByteArray();
    QTest::newRow("sentences wrapped around their recipient in a report")
        << daemon + "Your message to: a@x\nwas not delivered.\n\n"
                    "The message could not be delivered to\n  b@x\n\nSent to c@x\n\n"
                    "Delivery failed.\nFor help write to help@isp\n"
        << QByteArray("a@x,b@x");
    // Japanese texts in ISO-2022-JP (whose characters' bytes may hold an
    // "@"), Shift_JIS and UTF-8.
    QTest::newRow("failure sentences in Japanese")
        << daemon + "\x1b$B08@h\x1b(B a@x \x1b$B$KG[\x3f.$5$l$^$;$s$G$7$\x3f\x1b(B\n"
                    "b@x \x82\xc9\x91\x97\x90M\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82"
                    "\xb5\x82\xbd\n"
                    "\xe3\x83\xa1\xe3\x83\xbc\xe3\x83\xab\xe3\x81\xaf c@x \xe3\x81\xab\xe9\x85\x8d"
                    "\xe4\xbf\xa1\xe3\x81\xa7\xe3\x81\x8d\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93\xe3"
                    "\x81\xa7\xe3\x81\x97\xe3\x81\x9f\n"
        << QByteArray("a@x,b@x,c@x");
    QTest::newRow("a delay told in another language")
        << daemon + "Die Zustellung an folgende Empfaenger oder Gruppen verzoegert sich:\n\na@x\n"
        << QByteArray();
    QTest::newRow("subject of a delay notice")
        << QByteArray("From: MAILER-DAEMON@mx\nSubject: DELIVERY DELAYED: news\n\n"
                      "The following recipient(s) could not be reached:\n\n  a@x\n")
        << QByteArray();
    QTest::newRow("a list server's rejection notice")
        << QByteArray("From: members-owner@list\nSubject: Your message to members has been rejected"
                      "\n\nYour message to members@list was rejected by the moderator.\n")
        << QByteArray();
    QTest::newRow("a person's mail that reads like a report")
        << QByteArray("From: Mei <m@x>\nSubject: Away: news\n\n"
                      "The following address reaches my colleague:\n\n  c@x\n")
        << QByteArray();
    QTest::newRow("Messaging Server delay notice")
        << QByteArray("Your message has been enqueued and undeliverable for 1 day\n"
                      "to the following recipients:\n\n  Recipient address: a@x\n"
                      "  Reason: unable to deliver this message after 1 day\n\n"
                      "The mail system will continue to try to deliver your message\n")
        << QByteArray();
    QTest::newRow("a report from a person's address, marked auto-replied")
        << QByteArray("From: Mail Admin <admin@isp>\nSubject: Mail delivery failed\n"
                      "Auto-Submitted: auto-replied\n\nThe following address(es) failed:\n\n"
                      "  a@x\n    550 unknown\n")
        << QByteArray("a@x");
    QTest::newRow("auto-reply")
        << QByteArray("From: Taro <t@x>\nSubject: Out of Office: news\nAuto-Submitted: "
                      "auto-replied\n\nYour message to t@x could not be delivered to me.\n"
                      "The following address\n\n  deputy@x\n")
        << QByteArray();
    QTest::newRow("the header decides over the text's forwards")
        << QByteArray("X-Failed-Recipients: fwd@x, b@x\n\nThe following address(es) failed:\n\n"
                      "  fwd@x\n    generated by a@x\n    550 unknown\n\n  b@x\n    unrouteable\n")
        << QByteArray("fwd@x,b@x");
    QTest::newRow("delivery-status block in a text")
        << QByteArray("Subject: Fwd: returned mail\n\n<fwd@x>: host mx said: 550 unknown\n\n"
                      "Reporting-MTA: dns; mx\nArrival-Date: Tue, 1 Dec 2026 10:00:00 +0900\n\n"
                      "Final-Recipient: rfc822; fwd@x\nOriginal-Recipient: rfc822; a@x\n"
                      "Action: failed\nStatus: 5.1.1\nDiagnostic-Code: smtp; 550\n"
                      "    unknown\n\nFinal-Recipient: rfc822; late@x\nAction: delayed\n"
                      "--boundary\n")
        << QByteArray("a@x");
    QTest::newRow("feedback and read reports inside a mixed mail")
        << QByteArray(
               "Content-Type: multipart/mixed; boundary=B\n\n--B\nContent-Type: text/plain\n\n"
               "The following address\n<a@x>\n\n--B\n"
               "Content-Type: message/feedback-report\n\nFeedback-Type: abuse\n\n--B\n"
               "Content-Type: message/disposition-notification\n\n"
               "Final-Recipient: rfc822; b@x\n\n--B--\n")
        << QByteArray();
}

void TestExtraction::errorMailRule()
{
    QFETCH(QByteArray, mail);
    QFETCH(QByteArray, field);
    checkAtEverySize(&ExtractErrorMailAddresses, mail, field);
}

void TestExtraction::senderRule_data()
{
    QTest::addColumn<QByteArray>("mail");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("display name, brackets")
        << QByteArray("Received: by x\nFrom: Taro Yamada <taro@x>\nTo: l@y\n\nHi\n")
        << QByteArray("taro@x");
    QTest::newRow("lower case") << QByteArray("from: taro@x\n") << QByteArray("taro@x");
    QTest::newRow("upper case, no blank") << QByteArray("FROM:taro@x\n") << QByteArray("taro@x");
    QTest::newRow("From without colon")
        << QByteArray("From owner@y Mon Jan 1\nFrom: <taro@x>\n") << QByteArray("taro@x");
    QTest::newRow("first wins") << QByteArray("From: a@x\nFrom: b@y\n") << QByteArray("a@x");
    QTest::newRow("body line counts, quoted does not")
        << QByteArray("Subject: s\n\n> From: a@x\nFrom: b@y\n") << QByteArray("b@y");
    QTest::newRow("address in a comment only")
        << QByteArray("From: (taro@x)\nFrom: b@y\n") << QByteArray();
    QTest::newRow("quoted name holding brackets")
        << QByteArray("From: \"Boss <boss@y>, Taro\" <taro@x>\n") << QByteArray("taro@x");
    QTest::newRow("CR CR LF, no brackets")
        << QByteArray("From: taro@x\r\r\n") << QByteArray("taro@x");
    QTest::newRow("folded header") << QByteArray("From: name@looks-like-address\n    <taro@x>\n"
                                                 "Subject: s\n")
                                   << QByteArray("taro@x");
    QTest::newRow("folded with tab, CR LF")
        << QByteArray("From: taro@x\r\n\t(Taro)\r\nTo: y\r\n") << QByteArray("taro@x");
    QTest::newRow("no folding in the body")
        << QByteArray("Subject: s\n\nFrom: a@x\n  b@y\n") << QByteArray("a@x");
    QTest::newRow("empty line ends the field")
        << QByteArray("From: Name\n\n  <a@x>\n") << QByteArray("Name");
    QTest::newRow("From: alone") << QByteArray("From:\nFrom: a@x\n") << QByteArray();
    QTest::newRow("no From: line") << QByteArray("To: a@x\n\nFrom a@x\n") << QByteArray();
}

void TestExtraction::senderRule()
{
    QFETCH(QByteArray, mail);
    QFETCH(QByteArray, field);
    checkAtEverySize(&ExtractSenderAddress, mail, field);
}

void TestExtraction::windowGetsFieldAndMessage()
{
    QTemporaryDir dir;
    const QString mail =
        writeFile(dir, QStringLiteral("mail"), kReport + "\nFrom: Taro <taro@example.jp>\n");
    QVERIFY(!mail.isEmpty());

    ExtractionOutcome outcome = ExtractAddresses(0, mail);
    QCOMPARE(outcome.fieldText, QByteArray("a@example.com,b@example.org,c@example.net"));
    QVERIFY(!outcome.message);
    QVERIFY(outcome.error.isEmpty());
    outcome = ExtractAddresses(1, mail);
    QCOMPARE(outcome.fieldText, QByteArray("taro@example.jp"));
    QVERIFY(!outcome.message);

    // Nothing found: no rule on the other tabs, an address only in a comment,
    // files that cannot be opened (these also say why, for callers that show
    // more than the message).
    const QString commented =
        writeFile(dir, QStringLiteral("commented"), "From: (taro@example.jp)\n\n<a@x>\n");
    struct Case
    {
        int tab;
        QString path;
        bool readable;
    };
    const QString missing = dir.filePath(QStringLiteral("missing"));
    for (const Case &c :
         {Case{2, mail, true}, Case{7, mail, true}, Case{1, commented, true},
          Case{0, QString(), false}, Case{1, missing, false}, Case{0, dir.path(), false}}) {
        outcome = ExtractAddresses(c.tab, c.path);
        QVERIFY(outcome.fieldText.isEmpty());
        QVERIFY(outcome.message);
        QCOMPARE(outcome.message->text, kNothingExtracted);
        QCOMPARE(outcome.message->caption, QStringLiteral("ｱﾄﾞﾚｽ抽出"));
        QCOMPARE(outcome.error.isEmpty(), c.readable);
    }
    QVERIFY(!ExtractErrorMailAddresses(dir.path()).error.isEmpty());
    QVERIFY(!ExtractSenderAddress(QString()).error.isEmpty());
}

void TestExtraction::survivesHostileInput()
{
    // A 10 MB line is no address.
    const QByteArray huge(10 << 20, 'a');
    ExtractionResult result =
        run(&ExtractErrorMailAddresses, "The following addresses\n" + huge + "\n<b@x>\n",
            LineStream::DefaultBufferSize);
    QCOMPARE(result.addresses, QByteArrayList{"b@x"});
    result = run(&ExtractSenderAddress, huge + "\nFrom: <taro@x>\n", LineStream::DefaultBufferSize);
    QCOMPARE(result.addresses, QByteArrayList{"taro@x"});

    // Unclosed quotes and comments end with their line.
    checkAtEverySize(&ExtractErrorMailAddresses,
                     "The following addresses\n\"Name <q@x>\n(reason <c@x>\n<a@x>\n\n", "a@x");

    // Random bytes, with the markers and lines of them inside: the same
    // result at every buffer size, and no line end in any address.
    QRandomGenerator random(20261207);
    QByteArray binary(256 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(binary.data()), binary.size() / 4);
    binary.replace('\n', '\x85');
    for (const char *insert : {"\nFrom: ", "\n(\"The following addresses\n",
                               "\nrequests that you approve the following\n"}) {
        QByteArray mail = binary;
        mail.insert(mail.size() / 3, insert);
        for (qsizetype at = mail.size() / 2; at < mail.size(); at += 97)
            mail[at] = '\n';
        for (Rule rule : {Rule(&ExtractErrorMailAddresses), Rule(&ExtractSenderAddress)}) {
            const QByteArrayList expected =
                run(rule, mail, LineStream::DefaultBufferSize).addresses;
            for (const QByteArray &address : expected)
                QVERIFY(!address.contains('\n') && !address.endsWith('\r'));
            for (qsizetype size : kBufferSizes)
                QCOMPARE(run(rule, mail, size).addresses, expected);
        }
    }
}

void TestExtraction::reportsReadFailure()
{
    // A read that fails after part of the list is reported, not taken for its end.
    FailingDevice report("The following addresses\n<a@x>\n<b@y>\n");
    ExtractionResult result = ExtractErrorMailAddresses(report);
    QCOMPARE(result.error, QStringLiteral("Input/output error"));
    FailingDevice sender("To: a@x\n");
    QVERIFY(!ExtractSenderAddress(sender).error.isEmpty());

    // The window is given no part of a list, and the message.
    FailingDevice partial("The following addresses\n<a@x>\n<b@y>\n");
    const ExtractionOutcome outcome = ExtractAddresses(ExtractionRule::ErrorMailAddresses, partial);
    QCOMPARE(outcome.fieldText, QByteArray());
    QVERIFY(outcome.message);
    QCOMPARE(outcome.message->text, kNothingExtracted);
    QCOMPARE(outcome.error, QStringLiteral("Input/output error"));
}

void TestExtraction::neverOpensWhatIsNoPlainFile()
{
    // A dropped FIFO would block the window for good.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("report.fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (ExtractionRule rule :
         {ExtractionRule::ErrorMailAddresses, ExtractionRule::SenderAddress}) {
        FifoWatchdog watchdog(fifo);
        const ExtractionOutcome outcome = ExtractAddresses(rule, fifo);
        watchdog.finish();
        QVERIFY(!watchdog.freed());
        QCOMPARE(outcome.error, QStringLiteral("not a plain file"));
        QCOMPARE(outcome.fieldText, QByteArray());
        QVERIFY(outcome.message);
    }
}

void TestExtraction::realReturnedMails()
{
    const QString fixtures = sharedFixturesDir();
    if (fixtures.isEmpty())
        QSKIP("the shared fixtures are not beside the checkout");
    QCOMPARE(ExtractErrorMailAddresses(fixtures + "/majordomo/approval-request.eml").addresses,
             QByteArrayList{"outsider@example.net"});
    QCOMPARE(ExtractErrorMailAddresses(fixtures + "/majordomo/approval-request-unsubscribe.eml")
                 .addresses,
             QByteArrayList{"alice@example.net"});

    // Every labelled mail gives its label (letter case aside), warnings and
    // mails that are no report nothing at all.
    QFile labels(fixtures + "/bounces/labels.tsv");
    QVERIFY(labels.open(QIODevice::ReadOnly));
    labels.readLine(); // column names
    int checked = 0;
    while (!labels.atEnd()) {
        const QByteArrayList row = labels.readLine().trimmed().split('\t');
        QCOMPARE(row.size(), 5);
        const QString file = QString::fromUtf8(row[0]);
        const QString path = fixtures + "/bounces/" + file;
        const bool sender = row[1] == "from-header";
        const QByteArray &expected = row[2];
        const ExtractionResult result =
            sender ? ExtractSenderAddress(path) : ExtractErrorMailAddresses(path);
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QVERIFY2(JoinAddresses(result.addresses).toLower() == expected.toLower(), qPrintable(file));
        ++checked;
    }
    QVERIFY(checked > 100);
}

void TestExtraction::eachLayoutReadsItsRealMail_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("rule");
    QTest::addColumn<QByteArray>("addresses");
    const auto row = [](const char *file, const char *rule, const char *addresses) {
        QTest::newRow(file) << QString::fromLatin1(file) << QByteArray(rule)
                            << QByteArray(addresses);
    };
    row("sisimai__lhost-mimecast-02.eml", "delivery status (Original-Recipient)",
        "sabatora@example.net");
    row("flufl__dsn_03.eml", "delivery status (Final-Recipient)", "ddd.kkk@advalvas.be");
    row("flufl__dsn_15.eml", "delivery status (Final-Recipient)", "horu@ccc-ces.com"); // attached
    row("sisimai__lhost-exim-07.eml", "X-Failed-Recipients header", "shiba@example.com");
    row("flufl__sendmail_01.eml", "heading list", "zzzzz@nfg.nl");                 // expanded from
    row("sisimai__lhost-sendmail-14.eml", "heading list", "kijitora@example.com"); // quoted
    row("sisimai__lhost-gmx-03.eml", "heading list",
        "mikeneko@example.co.jp,sabineko@example.co.jp");
    row("sisimai__lhost-yahoo-05.eml", "undeliverable-to list", "kijitora@example.co.jp");
    row("sisimai__lhost-x3-03.eml", "failed-recipients list", "kijitora@example.co.jp");
    row("sisimai__rfc3464-37.eml", "failed-addresses list", "kijitora@neko.nyaan.example.com");
    row("sisimai__lhost-dragonfly-01.eml", "error-delivering line",
        "pseudo-local-part@google.example.com");
    row("sisimai__lhost-imailserver-03.eml", "invalid-userid line", "kijitora@neko.example.co.jp");
    row("flufl__postfix_02.eml", "recipient paragraph", "yyyyy@digicool.com");
    row("sisimai__lhost-exim-52.eml", "malformed-address list", "neko@example.net");
    row("sisimai__lhost-postfix-49.eml", "delivery status (Original-Recipient)", // inline
        "toraneko@neko.example.co.jp");
    row("sisimai__lhost-v5sendmail-04.eml", "transcript reply",
        "kijitora@example.ed.jp,mikeneko@example.ac.jp");
    row("majordomo__approval-07.eml", "approval request", "dave@example.com"); // forwarded
    row("sisimai__lhost-gmail-09.eml", "", "");    // a delay notice in text
    row("sisimai__lhost-sendmail-55.eml", "", ""); // a delay notice as DSN
    row("sisimai__rfc3834-01.eml", "", "");        // a vacation message
    row("sisimai__arf-14.eml", "", "");            // a feedback report
}

void TestExtraction::eachLayoutReadsItsRealMail()
{
    const QString fixtures = sharedFixturesDir();
    if (fixtures.isEmpty())
        QSKIP("the shared fixtures are not beside the checkout");
    QFETCH(QString, file);
    QFETCH(QByteArray, rule);
    QFETCH(QByteArray, addresses);
    const ReturnedMailReading reading = ReadReturnedMail(fixtures + "/bounces/" + file);
    QVERIFY2(reading.error.isEmpty(), qPrintable(reading.error));
    QByteArrayList found;
    for (const FailedRecipient &recipient : reading.recipients) {
        found.append(recipient.address);
        QCOMPARE(QByteArray(recipient.rule), rule);
    }
    QCOMPARE(found.join(','), addresses);
}

// A report that returns a 100 MB original: read in a stream, not into memory.
void TestExtraction::readsAHundredMegabyteReportInBoundedMemory()
{
    if (!resetPeakMemory())
        QSKIP("the peak memory of this process cannot be reset here");
    QTemporaryDir dir;
    QFile mail(dir.filePath(QStringLiteral("report")));
    QVERIFY(mail.open(QIODevice::WriteOnly));
    mail.write("Content-Type: multipart/report; report-type=delivery-status; boundary=B\n\n"
               "--B\nContent-Type: text/plain\n\nThe following addresses\n<t@x>\n\n"
               "--B\nContent-Type: message/delivery-status\n\n"
               "Final-Recipient: rfc822; a@x\nAction: failed\n\n"
               "--B\nContent-Type: message/rfc822\n\nSubject: big\n\n");
    const QByteArray line = "The following addresses\n<o@x>\n" + QByteArray(70, 'x') + "\n";
    const QByteArray chunk = line.repeated((1 << 20) / line.size());
    for (int i = 0; i < 100; ++i)
        QVERIFY(mail.write(chunk) == chunk.size());
    mail.write("\n--B--\n");
    mail.close();

    QVERIFY(resetPeakMemory());
    const qint64 before = peakKilobytes();
    const ReturnedMailReading reading = ReadReturnedMail(mail.fileName());
    const qint64 growth = peakKilobytes() - before;
    QVERIFY(before > 0);
    QCOMPARE(reading.recipients.size(), 1);
    QCOMPARE(reading.recipients[0].address, QByteArray("a@x"));
    QVERIFY2(growth < 24 * 1024, qPrintable(QStringLiteral("peak grew by %1 kB").arg(growth)));
}

void TestExtraction::refusesMailsPastTheBoundsInBoundedMemory_data()
{
    QTest::addColumn<QByteArray>("mail");
    QTest::addColumn<QString>("refusal"); // empty: read, and a@x found
    const QByteArray report = "The following addresses\n<a@x>\n\n";
    const QByteArray multipart = "Content-Type: multipart/mixed; boundary=B\n\n";
    QByteArray parameters = "Content-Type: text/plain";
    for (int i = 0; i < 1000000; ++i)
        parameters += ";\n p" + QByteArray::number(i) + "=v";
    QByteArray nested;
    for (int i = 0; i < 40; ++i)
        nested += "Content-Type: multipart/mixed; boundary=B" + QByteArray::number(i) + "\n\n--B" +
                  QByteArray::number(i) + "\n";
    QByteArray withinBounds = multipart;
    for (int i = 0; i < 1500; ++i)
        withinBounds += "--B\nContent-Type: text/plain; charset=us-ascii\n\n" + report;
    QTest::newRow("2 million header lines")
        << QByteArray("X-A: 1\n").repeated(2000000) + "\n" + report
        << QStringLiteral("more than 20000 header lines");
    QTest::newRow("500 000 empty parts") << multipart + QByteArray("--B\n\n").repeated(500000)
                                         << QStringLiteral("more than 2000 parts");
    QTest::newRow("1 million Content-Type parameters")
        << parameters + "\n\n" + report
        << QStringLiteral("a header field of more than 64 parameters");
    QByteArray fifty = "--B\nContent-Type: text/plain";
    for (int i = 0; i < 50; ++i)
        fifty += "; p" + QByteArray::number(i) + "=v";
    QTest::newRow("50 parameters in each of 100 parts")
        << multipart + (fifty + "\n\n").repeated(100)
        << QStringLiteral("more than 4000 parameters");
    QTest::newRow("31 MB header field")
        << "Subject: " + QByteArray(31 << 20, 'x') + "\n\n" + report
        << QStringLiteral("a header field of more than 65536 bytes");
    QTest::newRow("40 multiparts nested")
        << nested + report << QStringLiteral("parts nested more than 32 deep");
    QTest::newRow("parts the scanner cannot follow")
        << multipart + QByteArray("--C\nX: y\n\n").repeated(100001)
        << QStringLiteral("more than 100000 lines starting with \"--\"");
    QTest::newRow("1500 parts, each a report") << withinBounds + "--B--\n" << QString();
}

// Anyone can send such a mail: it is refused before the parser has built
// more than the bounds, in a bounded time and memory, and a mail within them
// is read as before.
void TestExtraction::refusesMailsPastTheBoundsInBoundedMemory()
{
    QFETCH(QByteArray, mail);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("mail"), "From: x@y\n" + mail);
    mail.clear();
    const bool measured = resetPeakMemory();
    const qint64 before = peakKilobytes();
    const ReturnedMailReading reading = ReadReturnedMail(path);
    const qint64 growth = peakKilobytes() - before;
    if (refusal.isEmpty()) {
        QVERIFY2(reading.error.isEmpty(), qPrintable(reading.error));
        QCOMPARE(reading.recipients.value(0).address, QByteArray("a@x"));
    } else {
        QCOMPARE(reading.error, QStringLiteral("refused, as it has ") + refusal);
        QVERIFY(reading.recipients.isEmpty());
    }
    if (measured)
        QVERIFY2(growth < 64 * 1024, qPrintable(QStringLiteral("peak grew by %1 kB").arg(growth)));
}

void TestExtraction::readsAGrowingFileNoFurtherThanItsSizeAtTheOpen()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("mail"), kReport);
    GrowingFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    const ReturnedMailReading reading = ReadReturnedMail(file);
    QCOMPARE(reading.error,
             QStringLiteral("it grew while it was read; read no further than its %1 bytes")
                 .arg(kReport.size()));
    QVERIFY(reading.recipients.isEmpty());
}

void TestExtraction::cliPrintsFieldText()
{
    QTemporaryDir dir;
    const QString mail = writeFile(dir, QStringLiteral("mail"), kReport + "From: <taro@x>\n");
    const QString plain = writeFile(dir, QStringLiteral("plain"), "Hello\n");
    // The store is never read; its folder is set so no real one is touched.
    const auto cli = [&](const QStringList &args) {
        return runCli(QStringList{QStringLiteral("extract")} + args, dir.path());
    };
    CliRun run = cli({QStringLiteral("--unsubscribe"), mail});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("a@example.com,b@example.org,c@example.net\n"));
    run = cli({QStringLiteral("--subscribe"), mail});
    QCOMPARE(run.out, QByteArray("taro@x\n"));
    run = cli({QStringLiteral("--unsubscribe"), QStringLiteral("--why"), mail});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("a@example.com\theading list\nb@example.org\theading list\n"
                                 "c@example.net\theading list\n"));

    // Nothing found: grep's status 1, the message on stderr, stdout empty.
    run = cli({QStringLiteral("--unsubscribe"), plain});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY(run.err.contains(kNothingExtracted.toUtf8()));
    run = cli({QStringLiteral("--subscribe"), dir.filePath(QStringLiteral("missing"))});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains("missing"));

    for (const QStringList &args :
         {QStringList(), QStringList{QStringLiteral("--subscribe")},
          QStringList{QStringLiteral("--both"), mail},
          QStringList{QStringLiteral("--subscribe"), QStringLiteral("--why"), mail},
          QStringList{QStringLiteral("--subscribe"), QStringLiteral("--unsubscribe"), mail},
          QStringList{QStringLiteral("--unsubscribe"), QStringLiteral("--min-days"),
                      QStringLiteral("0"), mail},
          QStringList{QStringLiteral("--unsubscribe"), QStringLiteral("--why"), mail, mail}}) {
        run = cli(args);
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QByteArray());
    }
}

QTEST_GUILESS_MAIN(TestExtraction)
#include "tst_extraction.moc"
