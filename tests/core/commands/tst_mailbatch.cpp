// Returned mails in bulk: folders, maildirs and mbox files read alike, the
// count per address, and the mails that cannot be read.
#include "commands/BounceTally.h"
#include "commands/FileNameList.h"
#include "commands/MailBatch.h"
#include "commands/ReturnedMail.h"

#include "CliRun.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// A tally as the report the CLI prints.
QByteArray reportLines(const BounceTally &tally, const BounceFilter &filter = {})
{
    QByteArray lines;
    for (const AddressBounces &row : tally.report(filter))
        lines += BounceTally::line(row) + '\n';
    return lines;
}

// The mails of a batch as the report the CLI prints.
QByteArray reportOf(const QStringList &paths, const BounceFilter &filter = {},
                    QStringList *problems = nullptr)
{
    MailBatch batch(paths);
    BounceTally tally;
    ReadMailBatch(batch, false, tally);
    if (problems) {
        for (const BatchProblem &problem : batch.problems())
            problems->append(QDir(problem.what).dirName() + ": " + problem.error);
    }
    return reportLines(tally, filter);
}

QByteArray mboxOf(const QByteArrayList &mails)
{
    QByteArray box;
    for (const QByteArray &mail : mails)
        box += "From MAILER-DAEMON Mon Dec  7 10:00:00 2026\n" + mail + "\n";
    return box;
}

} // namespace

class TestMailBatch : public QObject
{
    Q_OBJECT

private slots:
    void countsReportsAndDaysPerAddress_data();
    void countsReportsAndDaysPerAddress();
    void mboxMaildirAndFolderGiveOneReport();
    void namesWhatCannotBeReadAndGoesOn();
    void problemsKeepTheOrderMet();
    void stopsWhenAsked();
    void cliReportsAndFilters();
    void fileNamesGoThroughTheFieldWhole();
};

// The mail selection field holds one name as it is, several quoted.
void TestMailBatch::fileNamesGoThroughTheFieldWhole()
{
    for (const QStringList &names :
         {QStringList{}, QStringList{QStringLiteral("/mail/a b.eml")},
          QStringList{QStringLiteral("/mail/say \"hi\".eml")},
          QStringList{QStringLiteral("/mail/a b.eml"), QStringLiteral("/mail/box")}})
        QCOMPARE(SplitFileNames(JoinFileNames(names)), names);
}

void TestMailBatch::countsReportsAndDaysPerAddress_data()
{
    QTest::addColumn<int>("minDays");
    QTest::addColumn<int>("within"); // 0: no window
    QTest::addColumn<QByteArray>("report");
    const QByteArray gone = "gone@a.example\t3\t2\t2026-11-30\t2026-12-01\t5.2.1\n";
    const QByteArray old = "old@c.example\t2\t2\t2026-10-20\t2026-10-21\t5.1.1\n";
    const QByteArray full = "full@b.example\t1\t1\t2026-12-01\t2026-12-01\t4.2.2\n";
    QTest::newRow("every address") << 1 << 0 << gone + old + full;
    QTest::newRow("two days at least") << 2 << 0 << gone + old;
    QTest::newRow("in the last 30 days") << 1 << 30 << gone + full;
    QTest::newRow("two days in the last 2") << 2 << 2 << gone;
    QTest::newRow("two days in the last day") << 2 << 1 << QByteArray();
}

void TestMailBatch::countsReportsAndDaysPerAddress()
{
    QFETCH(int, minDays);
    QFETCH(int, within);
    QFETCH(QByteArray, report);
    QTemporaryDir dir;
    const QString box = dir.filePath(QStringLiteral("box"));
    QVERIFY(writeFile(box, mboxOf(handMadeReports())));
    BounceFilter filter{minDays, within ? std::optional<int>(within) : std::nullopt};
    QCOMPARE(reportOf({box}, filter), report);
}

void TestMailBatch::mboxMaildirAndFolderGiveOneReport()
{
    const QString fixtures = sharedFixturesDir();
    if (fixtures.isEmpty())
        QSKIP("the shared fixtures are not beside the checkout");
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("maildir/cur"));
    QDir(dir.path()).mkpath(QStringLiteral("maildir/new"));
    QDir(dir.path()).mkpath(QStringLiteral("maildir/tmp"));
    QDir(dir.path()).mkpath(QStringLiteral("folder"));
    const QStringList names = QDir(fixtures + "/bounces").entryList({"*.eml"}, QDir::Files);
    QByteArrayList mails;
    for (const QString &name : names) {
        QByteArray mail = readFile(fixtures + "/bounces/" + name);
        const QString place = mails.size() % 2 ? QStringLiteral("cur/") : QStringLiteral("new/");
        QVERIFY(writeFile(dir.filePath("maildir/" + place + name), mail));
        QVERIFY(writeFile(dir.filePath("folder/" + name), mail));
        // mboxrd quoting of the lines that would start a message.
        QByteArrayList lines = mail.split('\n');
        for (QByteArray &line : lines) {
            qsizetype quotes = 0;
            while (quotes < line.size() && line[quotes] == '>')
                ++quotes;
            if (line.mid(quotes).startsWith("From "))
                line.prepend('>');
        }
        mails.append(lines.join('\n') + (mail.endsWith('\n') ? "" : "\n"));
    }
    QVERIFY(writeFile(dir.filePath(QStringLiteral("box")), mboxOf(mails)));
    QStringList problems;
    const QByteArray fromMbox = reportOf({dir.filePath(QStringLiteral("box"))}, {}, &problems);
    QCOMPARE(problems, QStringList());
    QVERIFY(fromMbox.count('\n') > 50);
    QCOMPARE(reportOf({dir.filePath(QStringLiteral("maildir"))}), fromMbox);
    QCOMPARE(reportOf({dir.filePath(QStringLiteral("folder"))}), fromMbox);

    // Mails read on several threads are counted as one thread reading them in
    // turn counts them: the addresses in the order first met and the last
    // reason of each, over more mails than one group of the readers holds.
    BounceTally inTurn;
    for (int round = 0; round < 3; ++round) {
        for (const QString &name : names) {
            const ReturnedMailReading reading = ReadReturnedMail(dir.filePath("folder/" + name));
            inTurn.add(reading.recipients, reading.date);
        }
    }
    QVERIFY(writeFile(dir.filePath(QStringLiteral("box3")), mboxOf(mails + mails + mails)));
    MailBatch batch({dir.filePath(QStringLiteral("box3"))});
    BounceTally together;
    QVERIFY(ReadMailBatch(batch, false, together));
    QCOMPARE(together.mailCount(), 3 * names.size());
    QCOMPARE(together.addresses(), inTurn.addresses());
    QCOMPARE(reportLines(together), reportLines(inTurn));
}

void TestMailBatch::namesWhatCannotBeReadAndGoesOn()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("folder"));
    QDir(dir.path()).mkpath(QStringLiteral("folder/sub"));
    QVERIFY(
        writeFile(folder + "/a", deliveryReport("a@x.example", "Mon, 30 Nov 2026 09:00:00 +0900")));
    QVERIFY(writeFile(folder + "/sub/b",
                      deliveryReport("b@x.example", "Mon, 30 Nov 2026 09:00:00 +0900")));
    QVERIFY(
        writeFile(folder + "/c", deliveryReport("c@x.example", "Mon, 30 Nov 2026 09:00:00 +0900")));
    QCOMPARE(::chmod(QFile::encodeName(folder + "/c").constData(), 0), 0);
    QCOMPARE(::mkfifo(QFile::encodeName(folder + "/fifo").constData(), 0600), 0);
    const bool root = QFile(folder + "/c").open(QIODevice::ReadOnly);

    // A truncated mbox keeps what it holds; a "From " line in a body, quoted
    // or after no empty line, starts no message; a separator a writer put
    // right after the message before does.
    const QString box = dir.filePath(QStringLiteral("box"));
    QByteArray second = deliveryReport("d@x.example", "Tue, 1 Dec 2026 09:00:00 +0900");
    second.replace("From the list", ">From the list\nFrom here on");
    QByteArray mbox =
        mboxOf({deliveryReport("e@x.example", "Mon, 30 Nov 2026 09:00:00 +0900"), second});
    QVERIFY(mbox.contains("--R--\n\nFrom MAILER-DAEMON"));
    mbox.replace("--R--\n\nFrom MAILER-DAEMON", "--R--\nFrom MAILER-DAEMON");
    mbox.chop(40);
    QVERIFY(writeFile(box, mbox));

    FifoWatchdog watchdog(folder + "/fifo");
    QStringList problems;
    const QByteArray report = reportOf({folder, box}, {}, &problems);
    watchdog.finish();
    QVERIFY(!watchdog.freed());
    QByteArray expected = "a@x.example\t1\t1\t2026-11-30\t2026-11-30\t5.1.1\n";
    if (root)
        expected += "c@x.example\t1\t1\t2026-11-30\t2026-11-30\t5.1.1\n";
    expected = "d@x.example\t1\t1\t2026-12-01\t2026-12-01\t5.1.1\n" + expected +
               "e@x.example\t1\t1\t2026-11-30\t2026-11-30\t5.1.1\n";
    // Sorted by reports, then address.
    QByteArrayList rows = expected.split('\n');
    rows.removeLast();
    std::sort(rows.begin(), rows.end());
    QCOMPARE(report, rows.join('\n') + '\n');
    QStringList expectedProblems;
    if (!root)
        expectedProblems << QStringLiteral("c: Permission denied");
    expectedProblems << QStringLiteral("fifo: not a plain file");
    QCOMPARE(problems, expectedProblems);
}

// A mail that cannot be read is named in its place among the files that
// cannot be, though it is read after the files that follow it are opened.
void TestMailBatch::problemsKeepTheOrderMet()
{
    QTemporaryDir dir;
    const QString box = dir.filePath(QStringLiteral("box"));
    const QString file = dir.filePath(QStringLiteral("gone"));
    const QByteArray refused =
        "X-Long: " + QByteArray(70000, 'a') + "\n" + deliveryReport("r@x.example", "");
    QVERIFY(writeFile(box, mboxOf({deliveryReport("a@x.example", ""), refused})));
    QVERIFY(writeFile(file, deliveryReport("b@x.example", "")));
    MailBatch batch({box, file});
    // Found as a file, a FIFO when its turn comes.
    QVERIFY(QFile::remove(file));
    QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    BounceTally tally;
    QVERIFY(ReadMailBatch(batch, false, tally));
    QCOMPARE(tally.addresses(), QByteArrayList{"a@x.example"});
    QCOMPARE(batch.problems().size(), 2);
    QVERIFY2(batch.problems()[0].what.startsWith(box + ", at byte"),
             qPrintable(batch.problems()[0].what));
    QVERIFY(batch.problems()[0].error.contains("header field"));
    QCOMPARE(batch.problems()[1].what, file);

    // A separator line alone is no mail: a returned mail saved with two.
    QVERIFY(writeFile(box, "From MAILER-DAEMON Mon Dec  7 10:00:00 2026\n"
                           "From MAILER-DAEMON Mon Dec  7 10:00:00 2026\n"
                           "X-Failed-Recipients: a@x.example\n\nfailed\n"));
    MailBatch saved({box});
    BounceTally once;
    QVERIFY(ReadMailBatch(saved, false, once));
    QCOMPARE(once.mailCount(), 1);
}

// The window's cancel: the run ends with mails still being read on other
// threads, and nothing is asked or counted after it.
void TestMailBatch::stopsWhenAsked()
{
    QTemporaryDir dir;
    const QString box = dir.filePath(QStringLiteral("box"));
    QByteArrayList mails;
    for (int i = 0; i < 1000; ++i)
        mails.append(deliveryReport("m" + QByteArray::number(i) + "@x.example", ""));
    QVERIFY(writeFile(box, mboxOf(mails)));
    MailBatch batch({box});
    BounceTally tally;
    int asked = 0;
    QVERIFY(!ReadMailBatch(batch, false, tally, [&](qint64, qint64) { return ++asked < 600; }));
    QCOMPARE(asked, 600);
    QVERIFY(tally.mailCount() < 600);
}

void TestMailBatch::cliReportsAndFilters()
{
    QTemporaryDir dir;
    const QString box = dir.filePath(QStringLiteral("box"));
    QVERIFY(writeFile(box, mboxOf(handMadeReports())));
    const auto cli = [&](const QStringList &args) {
        return runCli(QStringList{QStringLiteral("extract")} + args, dir.path());
    };
    CliRun run = cli({QStringLiteral("--unsubscribe"), box});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("gone@a.example,full@b.example,old@c.example\n"));
    run = cli({QStringLiteral("--unsubscribe"), QStringLiteral("--report"),
               QStringLiteral("--min-days"), QStringLiteral("2"), QStringLiteral("--within"),
               QStringLiteral("7"), box});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("gone@a.example\t3\t2\t2026-11-30\t2026-12-01\t5.2.1\n"));
    // A missing path is named, the rest reported, and the status says so.
    run = cli({QStringLiteral("--unsubscribe"), box, dir.filePath(QStringLiteral("missing"))});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QByteArray("gone@a.example,full@b.example,old@c.example\n"));
    QVERIFY(run.err.contains("missing"));
    run = cli({QStringLiteral("--subscribe"), box});
    QCOMPARE(run.out, QByteArray("MAILER-DAEMON@mx.example\n"));

    // With a list's stored roster, addresses that are no members are left
    // out and counted; without one, nothing is printed.
    QDir().mkpath(dir.filePath(QStringLiteral("Orvendal")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("Orvendal/Tavelin.conf")),
                      "[MailingLists]\nMailingList0\\Title=Test\n"
                      "MailingList0\\Address=Majordomo@example.com\n"
                      "MailingList0\\ListName=testlist\nMailingList0\\Passwd=pw\n"));
    const QStringList withList = {QStringLiteral("--unsubscribe"), QStringLiteral("--list"),
                                  QStringLiteral("Test"), box};
    run = cli(withList);
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY(run.err.contains("roster"));
    const QString who = dir.filePath(QStringLiteral("who"));
    QVERIFY(writeFile(who, "From: Majordomo@example.com\nSubject: Majordomo results: who\n\n"
                           ">>>> approve pw who testlist\nMembers of list 'testlist':\n\n"
                           "GONE@a.example\nold@c.example\nstays@d.example\n\n3 subscribers\n\n"
                           ">>>> end\nEND OF COMMANDS\n"));
    QCOMPARE(runCli({QStringLiteral("reply"), who}, dir.path()).status, 0);
    run = cli(withList);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("gone@a.example,old@c.example\n"));
    QVERIFY(run.err.contains("1 addresses left out"));
}

QTEST_GUILESS_MAIN(TestMailBatch)
#include "tst_mailbatch.moc"
