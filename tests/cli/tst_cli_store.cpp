// tavelin-cli's store commands against a store written by hand.
#include "CliRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestCliStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    void writeStore(const QByteArray &ini)
    {
        QDir().mkpath(m_home.filePath(QStringLiteral("Orvendal")));
        QFile f(m_home.filePath(QStringLiteral("Orvendal/Tavelin.conf")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(ini);
    }

private Q_SLOTS:
    void listsPrintsTheRegisterInTitleOrder()
    {
        writeStore("[MailingLists]\n"
                   "MailingList0\\Title=zoo\n"
                   "MailingList0\\Address=majordomo@zoo.example\n"
                   "MailingList0\\ListName=zoo-l\n"
                   "MailingList0\\Passwd=pw\n"
                   "MailingList0\\ConfigFile=/c\n"
                   "MailingList0\\InfoFile=/i\n"
                   "MailingList0\\IntroFile=/n\n"
                   "Other\\Title=Ant, Bee\n"
                   "MailingList2\\ListName=untitled-l\n");
        const CliRun run = runCli({QStringLiteral("lists")}, m_home.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("Ant, Bee\t\t\t\t\t\t\n"
                                     "Untiled\t\tuntitled-l\t\t\t\t\n"
                                     "zoo\tmajordomo@zoo.example\tzoo-l\tpw\t/c\t/i\t/n\n"));
    }

    void settingsPrintsAllSeventeenWithDefaults()
    {
        // Numbers that are not numbers read as their defaults.
        writeStore("[General]\nServer=mail.example\nPortNo=2525\nEditer=vi\n"
                   "Interval=soon\nRedial=-1\n");
        const CliRun run = [this] {
            const ScopedTimeZone tokyo("Asia/Tokyo");
            return runCli({QStringLiteral("settings")}, m_home.path());
        }();
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("UseQuillon=0\nServer=mail.example\nTimeZone=+0900\n"
                                     "UserName=\nPortNo=2525\nPassword=\nAddress=\n"
                                     "MailSavePath=\nSaveMail=0\nDialUp=0\nEntry=\nRedial=3\n"
                                     "Interval=60\nQuillonType=0\nNoSignature=0\nQsend=\n"
                                     "Editer=vi\nSmtpTls=none\nSmtpAuth=none\n"
                                     "ImapServer=\nImapPort=993\nImapSecurity=0\nImapUserName=\n"
                                     "ImapPassword=\nImapFolder=INBOX\nImapMoveTo=\n"));
        // With a login: the password is never shown, and TLS is named.
        writeStore("[General]\nUserName=owner\nPassword=s3cret\nPortNo=587\n"
                   "[Fetch]\nServer=imap.example\nPassword=imap-s3cret\nMoveTo=Done\n");
        const CliRun login = runCli({QStringLiteral("settings")}, m_home.path());
        QCOMPARE(login.status, 0);
        QVERIFY(!login.out.contains("s3cret"));
        QVERIFY(login.out.contains("\nImapServer=imap.example\n"));
        QVERIFY(login.out.contains("\nImapPassword=(set)\nImapFolder=INBOX\nImapMoveTo=Done\n"));
        QVERIFY(login.out.contains("\nPassword=(set)\n"));
        QVERIFY(login.out.contains("\nSmtpTls=starttls\nSmtpAuth=PLAIN or LOGIN, over TLS\n"));
    }

    void usageErrorsExitTwoWithAMessage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown") << QStringList{"frobnicate"};
        QTest::newRow("extra argument") << QStringList{"lists", "more"};
    }
    void usageErrorsExitTwoWithAMessage()
    {
        QFETCH(QStringList, args);
        const CliRun run = runCli(args, m_home.path());
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.startsWith("tavelin-cli: "));
    }

    void helpListsTheCommands()
    {
        const CliRun run = runCli({QStringLiteral("--help")}, m_home.path());
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("lists"));
        QVERIFY(run.out.contains("settings"));
    }
};

QTEST_GUILESS_MAIN(TestCliStore)
#include "tst_cli_store.moc"
