// tavelin-cli reply and roster: what each command did, the members, the
// stored roster and its changes.
#include "CliRun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray who(const QByteArray &members, int count)
{
    return "From: Majordomo@example.com\nSubject: Majordomo results: who\n\n--\n\n"
           ">>>> approve adminpw who testlist\nMembers of list 'testlist':\n\n" +
           members + "\n" + QByteArray::number(count) + " subscribers\n\n>>>> end\n" +
           "END OF COMMANDS\n";
}

} // namespace

class TestCliReply : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_home.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDir().mkpath(m_home.filePath(QStringLiteral("Orvendal")));
        QVERIFY(writeFile(m_home.filePath(QStringLiteral("Orvendal/Tavelin.conf")),
                          "[MailingLists]\n"
                          "MailingList0\\Title=Test\n"
                          "MailingList0\\Address=Majordomo@example.com\n"
                          "MailingList0\\ListName=testlist\n"
                          "MailingList0\\Passwd=adminpw\n"));
    }

    void replyPrintsEachCommandAndExitsByTheirOutcome_data()
    {
        QTest::addColumn<QByteArray>("mail");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        const QByteArray head = "From: Majordomo@example.com\nSubject: Majordomo results\n\n--\n\n";
        QTest::newRow("all succeeded")
            << head + ">>>> approve adminpw subscribe testlist a@x\nSucceeded.\n"
            << 0 << QByteArray("ok\t\tapprove *** subscribe testlist a@x\n");
        QTest::newRow("one failed")
            << head + ">>>> passwd testlist adminpw\n**** passwd: need new password\n"
                      ">>>> approve adminpw who nolist\n**** approve: unknown list 'nolist'.\n"
            << 1
            << QByteArray("failed\tneeds-new-password\tpasswd testlist ***\n"
                          "failed\tunknown-list\tapprove *** who nolist\n");
        QTest::newRow("no reply")
            << QByteArray("From: Majordomo@example.com\nSubject: APPROVE testlist\n\n--\n\n") << 1
            << QByteArray();
    }
    void replyPrintsEachCommandAndExitsByTheirOutcome()
    {
        QFETCH(QByteArray, mail);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        const CliRun run = runCli({QStringLiteral("reply"), QStringLiteral("--no-store"),
                                   write(QStringLiteral("r.eml"), mail)},
                                  m_home.path());
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, out);
        QVERIFY(!run.err.contains("adminpw"));
        if (out.isEmpty())
            QVERIFY(run.err.contains("承認依頼"));
    }

    void usageErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("reply without file") << QStringList{"reply", "--members"};
        QTest::newRow("reply unknown option") << QStringList{"reply", "--frob", "x"};
        QTest::newRow("roster without title") << QStringList{"roster", "--diff"};
    }
    void usageErrorsExitTwo()
    {
        QFETCH(QStringList, args);
        const CliRun run = runCli(args, m_home.path());
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty());
    }

    void whoRepliesStoreTheRosterThatRosterPrints()
    {
        const QString first = write(QStringLiteral("w1.eml"), who("a@x\nBee <b@x>\n# c", 3));
        CliRun run =
            runCli({QStringLiteral("reply"), QStringLiteral("--members"), first}, m_home.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("a@x\nb@x\n"));
        QVERIFY(run.err.contains("Test"));

        run = runCli({QStringLiteral("roster"), QStringLiteral("Test")}, m_home.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("a@x\ta@x\nb@x\tBee <b@x>\n\t# c\n"));

        // Before a second roster there is nothing to compare with.
        run = runCli({QStringLiteral("roster"), QStringLiteral("Test"), QStringLiteral("--diff")},
                     m_home.path());
        QCOMPARE(run.status, 1);

        const QString second = write(QStringLiteral("w2.eml"), who("b@x\nd@x", 2));
        QCOMPARE(runCli({QStringLiteral("reply"), second}, m_home.path()).status, 0);
        run = runCli({QStringLiteral("roster"), QStringLiteral("Test"), QStringLiteral("--diff")},
                     m_home.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("joined\td@x\td@x\nleft\ta@x\ta@x\n"));
        run = runCli({QStringLiteral("roster"), QStringLiteral("Test"), QStringLiteral("--diff"),
                      QStringLiteral("--csv")},
                     m_home.path());
        QCOMPARE(run.out, QByteArray("change,address,valid,line\r\njoined,d@x,yes,d@x\r\n"
                                     "left,a@x,yes,a@x\r\n"));

        // --no-store reads and prints, and keeps what is stored.
        const QString third = write(QStringLiteral("w3.eml"), who("z@x", 1));
        QCOMPARE(
            runCli({QStringLiteral("reply"), QStringLiteral("--no-store"), third}, m_home.path())
                .status,
            0);
        run = runCli({QStringLiteral("roster"), QStringLiteral("Test"), QStringLiteral("--csv")},
                     m_home.path());
        QCOMPARE(run.out, QByteArray("address,valid,line\r\nb@x,yes,b@x\r\nd@x,yes,d@x\r\n"));

        run = runCli({QStringLiteral("roster"), QStringLiteral("Nope")}, m_home.path());
        QCOMPARE(run.status, 1);
    }
};

QTEST_GUILESS_MAIN(TestCliReply)
#include "tst_cli_reply.moc"
