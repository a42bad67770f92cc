// tavelin-cli's store commands against a store written by hand.
#include "CliRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

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

    QString storePath() const { return m_home.filePath(QStringLiteral("Orvendal/Tavelin.conf")); }

    CliRun cli(const QStringList &args, const QByteArray &input = {})
    {
        return runCli(args, m_home.path(), {}, input);
    }

    // Two lists share the title "dup"; "zoo" has a password.
    void writeRegister()
    {
        writeStore("[MailingLists]\n"
                   "MailingList0\\Title=dup\nMailingList0\\ListName=first\n"
                   "MailingList1\\Title=dup\nMailingList1\\ListName=second\n"
                   "MailingList2\\Title=zoo\nMailingList2\\Address=m@zoo\n"
                   "MailingList2\\ListName=zoo-l\nMailingList2\\Passwd=old\n");
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
                                     "zoo\tmajordomo@zoo.example\tzoo-l\t(set)\t/c\t/i\t/n\n"));
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
                                     "Editer=vi\nSmtpSecurity=none\nKeyringPasswords=0\n"
                                     "BounceMinDays=1\nBounceWithin=30\n"
                                     "SmtpTls=none\nSmtpAuth=none\n"
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

    // Each change is checked by what `lists --keys --show-passwords` prints
    // after it; a refused one leaves the store's bytes as they were.
    void registerChangesAsTheWindowMakesThem_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArrayList>("lists");
        const QByteArray first = "dup\t\tfirst\t\t\t\t";
        const QByteArray second = "dup\t\tsecond\t\t\t\t";
        const QByteArray zoo = "zoo\tm@zoo\tzoo-l\told\t\t\t";
        const QByteArrayList unchanged = {"MailingList0\t" + first, "MailingList1\t" + second,
                                          "MailingList2\t" + zoo};
        QTest::newRow("add, sorted in, password from stdin (Shift-JIS)")
            << QStringList{"lists",       "add",   "ant",      "--address", "majordomo@ant",
                           "--list-name", "ant-l", "--config", "/c/ant.cf", "--password-stdin"}
            << QByteArray("\x83p\x83X\r\n") << 0 << QByteArray()
            << QByteArrayList{"MailingList0\tant\tmajordomo@ant\tant-l\t\x83p\x83X\t/c/ant.cf\t\t",
                              "MailingList1\t" + first, "MailingList2\t" + second,
                              "MailingList3\t" + zoo};
        QTest::newRow("add after the lists of an equal title")
            << QStringList{"lists", "add", "DUP", "--address", "a", "--list-name", "third"}
            << QByteArray() << 0 << QByteArray()
            << QByteArrayList{"MailingList0\t" + first, "MailingList1\t" + second,
                              "MailingList2\tDUP\ta\tthird\t\t\t\t", "MailingList3\t" + zoo};
        QTest::newRow("set fields and the password")
            << QStringList{"lists",           "set",          "zoo",
                           "Address=new@zoo", "IntroFile=/i", "--password-stdin"}
            << QByteArray("new pw\n") << 0 << QByteArray()
            << QByteArrayList{"MailingList0\t" + first, "MailingList1\t" + second,
                              "MailingList2\tzoo\tnew@zoo\tzoo-l\tnew pw\t\t\t/i"};
        QTest::newRow("set by key where the title is shared")
            << QStringList{"lists", "set", "MailingList1", "ListName=renamed"} << QByteArray() << 0
            << QByteArray()
            << QByteArrayList{"MailingList0\t" + first, "MailingList1\tdup\t\trenamed\t\t\t\t",
                              "MailingList2\t" + zoo};
        QTest::newRow("rename moves the record with its title")
            << QStringList{"lists", "rename", "zoo", "aardvark"} << QByteArray() << 0
            << QByteArray()
            << QByteArrayList{"MailingList0\taardvark\tm@zoo\tzoo-l\told\t\t\t",
                              "MailingList1\t" + first, "MailingList2\t" + second};
        QTest::newRow("remove") << QStringList{"lists", "remove", "MailingList0"} << QByteArray()
                                << 0 << QByteArray()
                                << QByteArrayList{"MailingList0\t" + second,
                                                  "MailingList1\t" + zoo};
        QTest::newRow("a shared title") << QStringList{"lists", "remove", "dup"} << QByteArray()
                                        << 1 << QByteArray("lists --keys") << unchanged;
        QTest::newRow("no such title")
            << QStringList{"lists", "set", "nope", "ListName=x"} << QByteArray() << 1
            << QByteArray("no list is titled") << unchanged;
        QTest::newRow("a password on the command line")
            << QStringList{"lists", "set", "zoo", "Passwd=visible"} << QByteArray() << 2
            << QByteArray("--password-stdin") << unchanged;
        QTest::newRow("a line break in a field")
            << QStringList{"lists", "set", "zoo", "Address=a@x\nBcc: evil@x"} << QByteArray() << 2
            << QByteArray("one line") << unchanged;
        QTest::newRow("add without the list name")
            << QStringList{"lists", "add", "x", "--address", "a"} << QByteArray() << 2
            << QByteArray("--list-name") << unchanged;
        QTest::newRow("no password on stdin")
            << QStringList{"lists", "set", "zoo", "--password-stdin"} << QByteArray() << 1
            << QByteArray("no password") << unchanged;
    }
    void registerChangesAsTheWindowMakesThem()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        QFETCH(QByteArrayList, lists);
        writeRegister();
        const QByteArray before = readFile(storePath());
        const CliRun run = cli(args, input);
        QVERIFY2(run.err.contains(message), run.err.constData());
        QCOMPARE(run.status, status);
        QVERIFY(run.out.isEmpty());
        if (status != 0)
            QCOMPARE(readFile(storePath()), before);
        const CliRun listed = cli({"lists", "--keys", "--show-passwords"});
        QCOMPARE(listed.status, 0);
        QCOMPARE(listed.out, lists.join('\n') + '\n');
        // Without the option the passwords are only said to be there.
        const CliRun hidden = cli({"lists"});
        for (const QByteArray &row : lists) {
            const QByteArrayList fields = row.split('\t');
            if (!fields[4].isEmpty())
                QVERIFY(hidden.out.contains(fields[1] + '\t' + fields[2] + '\t' + fields[3] +
                                            "\t(set)\t"));
        }
        QVERIFY(!hidden.out.contains("old"));
    }

    void settingsSetChecksEveryValueBeforeWriting_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArrayList>("printed");
        QTest::newRow("several") << QStringList{"settings",
                                                "set",
                                                "Server=smtp.example",
                                                "PortNo= 587 ",
                                                "SmtpSecurity=STARTTLS",
                                                "SaveMail=1"}
                                 << 0
                                 << QByteArrayList{"Server=smtp.example", "PortNo=587",
                                                   "SmtpSecurity=starttls", "SaveMail=1"};
        QTest::newRow("absent security shows the derived one")
            << QStringList{"settings", "set", "PortNo=465"} << 0
            << QByteArrayList{"SmtpSecurity=tls", "SmtpTls=implicit"};
        QTest::newRow("none never logs in")
            << QStringList{"settings", "set", "UserName=owner", "SmtpSecurity=none"} << 0
            << QByteArrayList{"SmtpSecurity=none", "SmtpAuth=none"};
        QTest::newRow("bounce thresholds")
            << QStringList{"settings", "set", "BounceMinDays=2", "BounceWithin=3660"} << 0
            << QByteArrayList{"BounceMinDays=2", "BounceWithin=3660"};
        for (const char *bad :
             {"PortNo=x", "PortNo=-1", "PortNo=70000", "SaveMail=2", "SmtpSecurity=ssl", "Bogus=1",
              "BounceMinDays=0", "BounceWithin=3661", "Password=visible", "TimeZone=+0900\r\nX: y",
              "Server"})
            QTest::newRow(QByteArray(bad).replace("\r\n", " CRLF ").constData())
                << QStringList{"settings", "set", "Server=changed", QString::fromUtf8(bad)} << 2
                << QByteArrayList{"Server=kept"};
    }
    void settingsSetChecksEveryValueBeforeWriting()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArrayList, printed);
        writeStore("[General]\nServer=kept\n");
        const CliRun run = cli(args);
        QCOMPARE(run.status, status);
        const CliRun settings = cli({"settings"});
        for (const QByteArray &line : printed)
            QVERIFY2(settings.out.contains('\n' + line + '\n'), settings.out.constData());
        QVERIFY(!settings.out.contains("visible"));
    }

    void settingsSetTakesThePasswordFromStdinOnly()
    {
        writeStore("[General]\nServer=kept\n");
        QCOMPARE(cli({"settings", "set", "--password-stdin"}, "s3cret\n").status, 0);
        CliRun run = cli({"settings"});
        QVERIFY(run.out.contains("\nPassword=(set)\n"));
        QVERIFY(!run.out.contains("s3cret"));
        QVERIFY(readFile(storePath()).contains("Password=s3cret\n"));
    }

    // The store can be read but not written: the window's message, status 1,
    // and the file as it was.
    void aStoreThatCannotBeWrittenSaysSo()
    {
        writeRegister();
        const QByteArray before = readFile(storePath());
        const QString folder = QFileInfo(storePath()).absolutePath();
        QStringList wrapper;
        QVERIFY(QFile::setPermissions(storePath(), QFile::Permissions(0x6444)));
        if (::geteuid() == 0) {
            // Root writes anywhere: the program runs as nobody instead.
            if (!QFile::exists(QStringLiteral("/usr/bin/setpriv")))
                QSKIP("running as root without setpriv to run as another user");
            for (const QString &dir : {m_home.path(), folder})
                QVERIFY(QFile::setPermissions(dir, QFile::Permissions(0x7755)));
            wrapper =
                QStringList{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        } else {
            QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x5555)));
        }
        for (const QStringList &args :
             {QStringList{"lists", "add", "x", "--address", "a", "--list-name", "x"},
              QStringList{"lists", "remove", "zoo"}, QStringList{"settings", "set", "PortNo=1"}}) {
            const CliRun run = runCli(args, m_home.path(), wrapper);
            QCOMPARE(run.status, 1);
            QVERIFY2(QString::fromUtf8(run.err).contains(QStringLiteral("設定を保存できません\n")),
                     run.err.constData());
        }
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7700)));
        QVERIFY(QFile::setPermissions(m_home.path(), QFile::Permissions(0x7700)));
        QVERIFY(QFile::setPermissions(storePath(), QFile::Permissions(0x6600)));
        QCOMPARE(readFile(storePath()), before);
    }

    void usageErrorsExitTwoWithAMessage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown") << QStringList{"frobnicate"};
        QTest::newRow("extra argument") << QStringList{"lists", "--more"};
        QTest::newRow("unknown lists command") << QStringList{"lists", "more"};
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
