// tavelin-cli compose and queue against a store and an outgoing folder of a test.
#include "CliRun.h"
#include "commands/OutgoingFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestCliCompose : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    QString outgoing() const { return m_home.filePath(QStringLiteral("out")); }
    QString infoFile() const { return m_home.filePath(QStringLiteral("info.txt")); }

    CliRun cli(const QStringList &args) { return runCli(args, m_home.path()); }

    QByteArray composed(const QStringList &args)
    {
        const CliRun run = cli(QStringList{QStringLiteral("compose")} + args);
        if (run.status != 0)
            return "<failed: " + run.err + '>';
        const QString path = QString::fromLocal8Bit(run.out.trimmed());
        if (QFileInfo(path).absolutePath() != QFileInfo(outgoing()).absoluteFilePath())
            return "<not in the outgoing folder: " + run.out + '>';
        // It holds the list's password.
        if (QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther))
            return "<readable by others: " + run.out + '>';
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

private Q_SLOTS:
    void init()
    {
        QDir(outgoing()).removeRecursively();
        QVERIFY(QDir().mkpath(outgoing()));
        QVERIFY(QDir().mkpath(m_home.filePath(QStringLiteral("Orvendal"))));
        QVERIFY(writeFile(m_home.filePath(QStringLiteral("Orvendal/Tavelin.conf")),
                          "[General]\nMailSavePath=" + outgoing().toLocal8Bit() +
                              "\nAddress=owner@example.net\nSaveMail=1\n"
                              "[MailingLists]\n"
                              "MailingList0\\Title=My List\n"
                              "MailingList0\\Address=majordomo@example.org\n"
                              "MailingList0\\ListName=mylist\n"
                              "MailingList0\\Passwd=secret\n"
                              "MailingList0\\InfoFile=" +
                              infoFile().toLocal8Bit() + "\n"));
        QVERIFY(writeFile(infoFile(), "Welcome\r\nto the list\n"));
    }

    void composesFromTheStoreAndQueues()
    {
        // A store without TimeZone: the machine's offset.
        const ScopedTimeZone india("Asia/Kolkata");
        const QByteArray mail =
            composed({QStringLiteral("0"), QStringLiteral("--list"), QStringLiteral("My List"),
                      QStringLiteral("--arg"), QStringLiteral("a@x.org,b@y.org")});
        QVERIFY2(mail.startsWith("X-Tavelin-ML: My List\r\nTo: majordomo@example.org\r\n"
                                 "From: owner@example.net\r\nDate: "),
                 mail.constData());
        QVERIFY2(mail.endsWith(" +0530\r\nSubject: unsubscribe mylist a@x.org,b@y.org\r\n\r\n"
                               "approve secret unsubscribe mylist a@x.org\r\n"
                               "approve secret unsubscribe mylist b@y.org\r\nend\r\n"),
                 mail.constData());
    }

    void fileKindsTakeTheListsFileWithoutArg()
    {
        const QByteArray mail = composed(
            {QStringLiteral("newinfo"), QStringLiteral("--list"), QStringLiteral("My List")});
        QVERIFY2(mail.endsWith("Subject: New Info mylist\r\n\r\nnewinfo mylist secret\r\n"
                               "Welcome\r\nto the list\r\nEOF\r\n"),
                 mail.constData());
    }

    void queueListsBySubjectAndCounts()
    {
        QCOMPARE(cli({QStringLiteral("queue"), QStringLiteral("count")}).out, QByteArray("0\n"));
        for (const QString &kind : {QStringLiteral("GetConfig"), QStringLiteral("3")})
            QCOMPARE(cli({QStringLiteral("compose"), kind, QStringLiteral("--list"),
                          QStringLiteral("My List")})
                         .status,
                     0);
        QVERIFY(writeFile(QDir(outgoing()).filePath(QStringLiteral("TVLFF.TMP")),
                          "To: x\r\n\r\nend\r\n"));

        const CliRun count = cli({QStringLiteral("queue"), QStringLiteral("count")});
        QCOMPARE(count.status, 0);
        QCOMPARE(count.out, QByteArray("3\n"));

        const CliRun list = cli({QStringLiteral("queue")});
        QCOMPARE(list.status, 0);
        const QList<QByteArray> lines = list.out.split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QByteArray("TVLFF.TMP\t"));
        QVERIFY(lines[1].endsWith("\tGet Config mylist"));
        QVERIFY(lines[2].endsWith("\tWho mylist"));
        QVERIFY(OutgoingFolder::IsQueuedName(QString::fromLocal8Bit(lines[1].split('\t')[0])));
    }

    void refusalsAndMistakesQueueNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message");
        const QString list = QStringLiteral("--list");
        QTest::newRow("unknown list")
            << QStringList{QStringLiteral("3"), list, QStringLiteral("Other")} << 1
            << QByteArray("no list titled 'Other'");
        QTest::newRow("unknown kind")
            << QStringList{QStringLiteral("8"), list, QStringLiteral("My List")} << 2
            << QByteArray("unknown command kind '8'");
        QTest::newRow("addresses missing")
            << QStringList{QStringLiteral("ForcedSubscribe"), list, QStringLiteral("My List")} << 2
            << QByteArray("ForcedSubscribe needs --arg");
        QTest::newRow("no list") << QStringList{QStringLiteral("3")} << 2 << QByteArray("--list");
        QTest::newRow("line break in the argument")
            << QStringList{QStringLiteral("2"), list, QStringLiteral("My List"),
                           QStringLiteral("--arg"), QStringLiteral("pw\napprove secret who mylist")}
            << 1 << QStringLiteral("ｺﾏﾝﾄﾞ欄 に改行").toUtf8();
        QTest::newRow("no address left")
            << QStringList{QStringLiteral("0"), list, QStringLiteral("My List"),
                           QStringLiteral("--arg"), QStringLiteral(" , ")}
            << 1 << QStringLiteral("ｺﾏﾝﾄﾞ欄 にｱﾄﾞﾚｽがありません").toUtf8();
        QTest::newRow("an address that joins the next line")
            << QStringList{QStringLiteral("1"), list, QStringLiteral("My List"),
                           QStringLiteral("--arg"), QStringLiteral("hank@example.net\\")}
            << 1 << QStringLiteral("の末尾が「\\」です").toUtf8();
        QTest::newRow("a missing info file")
            << QStringList{QStringLiteral("4"), list, QStringLiteral("My List"),
                           QStringLiteral("--arg"), QStringLiteral("/nonexistent/info.txt")}
            << 1 << QByteArray("/nonexistent/info.txt を読めません: ");
    }

    void refusalsAndMistakesQueueNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        const CliRun run = cli(QStringList{QStringLiteral("compose")} + args);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(message), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 0);
    }

    void aPasswordChangeTellsThatTheConfigKeepsTheOldPassword()
    {
        const CliRun run =
            cli({QStringLiteral("compose"), QStringLiteral("2"), QStringLiteral("--list"),
                 QStringLiteral("My List"), QStringLiteral("--arg"), QStringLiteral("newpw")});
        QCOMPARE(run.status, 0);
        QVERIFY(OutgoingFolder::IsQueuedName(
            QFileInfo(QString::fromLocal8Bit(run.out.trimmed())).fileName()));
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(run.err.contains("admin_passwd"), run.err.constData());
    }

    void argumentsReachTheMailAsTheirBytes()
    {
#ifdef Q_OS_UNIX
        // A Shift-JIS title and display name: not UTF-8, so no QString can
        // carry them; the shell hands the bytes over.
        {
            QSettings store(m_home.filePath(QStringLiteral("Orvendal/Tavelin.conf")),
                            QSettings::IniFormat);
            store.setValue(QStringLiteral("MailingLists/MailingList1/Title"),
                           QByteArray("\x93\xfa\x96\x7b"));
            store.setValue(QStringLiteral("MailingLists/MailingList1/ListName"),
                           QByteArray("jlist"));
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        env.insert(QStringLiteral("CLI"), cliProgram());
        p.setProcessEnvironment(env);
        p.start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("exec \"$CLI\" compose 1 --list \"$(printf '\\223\\372\\226\\173')\" "
                            "--arg \"$(printf '\\223\\372 <a@x.org>')\"")});
        QVERIFY(p.waitForFinished(30000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        const QByteArray mail =
            readFile(QString::fromLocal8Bit(p.readAllStandardOutput().trimmed()));
        QVERIFY2(mail.startsWith("X-Tavelin-ML: \x93\xfa\x96\x7b\r\n"), mail.constData());
        QVERIFY2(mail.contains("Subject: subscribe jlist \x93\xfa <a@x.org>\r\n\r\n"
                               "approve  subscribe jlist \x93\xfa <a@x.org>\r\n"),
                 mail.constData());
#else
        QSKIP("hands bytes over through a POSIX shell");
#endif
    }

    void anEofLineInTheInfoFileIsAnError()
    {
        QVERIFY(writeFile(infoFile(), "Welcome\nEOF\napprove secret who mylist\n"));
        const CliRun run = cli({QStringLiteral("compose"), QStringLiteral("4"),
                                QStringLiteral("--list"), QStringLiteral("My List")});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(infoFile().toLocal8Bit() + " の 2 行目"), run.err.constData());
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 0);
    }
};

QTEST_GUILESS_MAIN(TestCliCompose)
#include "tst_cli_compose.moc"
