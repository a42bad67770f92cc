// tavelin-cli send: a queue composed with tavelin-cli compose, sent to a real
// SMTP server; a failing server; Ctrl-C.
#include "AiosmtpdServer.h"
#include "CliRun.h"
#include "ScriptedSmtpServer.h"

#include "commands/OutgoingFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestCliSend : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    QString outgoing() const { return m_home.filePath(QStringLiteral("out")); }

    void writeStore(quint16 port, const QByteArray &extra = {})
    {
        QVERIFY(QDir().mkpath(m_home.filePath(QStringLiteral("Orvendal"))));
        QFile f(m_home.filePath(QStringLiteral("Orvendal/Tavelin.conf")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[General]\nMailSavePath=" + outgoing().toLocal8Bit() +
                "\nAddress=owner@example.net\nServer=127.0.0.1\nPortNo=" +
                QByteArray::number(port) + "\n" + extra +
                "[MailingLists]\n"
                "MailingList0\\Title=ml\n"
                "MailingList0\\Address=majordomo@example.org\n"
                "MailingList0\\ListName=ml\n"
                "MailingList0\\Passwd=pw\n");
    }

    void compose(const QStringList &args)
    {
        const CliRun run = runCli(QStringList{QStringLiteral("compose")} + args +
                                      QStringList{QStringLiteral("--list"), QStringLiteral("ml")},
                                  m_home.path());
        QVERIFY2(run.status == 0, run.err.constData());
    }

private Q_SLOTS:
    void init()
    {
        QDir(outgoing()).removeRecursively();
        QVERIFY(QDir().mkpath(outgoing()));
    }

    void sendEmptiesAComposedQueue()
    {
        AiosmtpdServer server;
        if (!server.start())
            QFAIL(qPrintable(server.error()));
        writeStore(server.port(), "DialUp=1\n");
        compose({QStringLiteral("0"), QStringLiteral("--arg"), QStringLiteral("gone@example.org")});
        compose({QStringLiteral("3")});
        compose({QStringLiteral("1"), QStringLiteral("--arg"), QStringLiteral("new@example.org")});
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 3);

        const CliRun run =
            runCli({QStringLiteral("send"), QStringLiteral("--timeout"), QStringLiteral("20")},
                   m_home.path());
        QVERIFY2(run.status == 0, run.err.constData());
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 0);
        QCOMPARE(server.mails().size(), 3);
        for (const AiosmtpdServer::Mail &mail : server.mails()) {
            QCOMPARE(mail.mailFrom, QByteArray("owner@example.net"));
            QCOMPARE(mail.rcptTo, QByteArrayList{"majordomo@example.org"});
        }
        QVERIFY(run.out.contains("(3/3)通目を送信中\n"));
        QVERIFY(run.out.endsWith("  送信を完了しました\n"));
        QVERIFY(run.err.contains("dial-up")); // said once, then sent anyway
    }

    void failedDeliveryExitsOneAndKeepsTheQueue()
    {
        ScriptedSmtpServer server;
        server.send("220 scripted\r\n")
            .readLine()
            .send("250 hello\r\n")
            .readLine()
            .send("550 no relaying\r\n")
            .readLine()
            .send("221 bye\r\n")
            .close();
        QVERIFY(server.start());
        writeStore(server.port());
        compose({QStringLiteral("3")});
        const CliRun run =
            runCli({QStringLiteral("send"), QStringLiteral("--timeout"), QStringLiteral("5")},
                   m_home.path());
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(" 550"), run.err.constData());
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 1);
    }

    void companionThatCannotStartExitsOne()
    {
        // The run ends as cancelled, not as failed: still a failure to a script.
        writeStore(1, "UseQuillon=1\nQsend=/nonexistent/qsend\n");
        compose({QStringLiteral("3")});
        const CliRun run = runCli({QStringLiteral("send")}, m_home.path());
        QCOMPARE(run.status, 1);
        QCOMPARE(QString::fromUtf8(run.err).count(QStringLiteral("の起動に失敗しました")), 1);
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 1);
    }

    void interruptCancelsAfterTheMailInFlight()
    {
        ScriptedSmtpServer server;
        server.send("220 slow\r\n").silence();
        QVERIFY(server.start());
        writeStore(server.port());
        compose({QStringLiteral("3")});
        compose({QStringLiteral("3")});
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        cli.setProcessEnvironment(env);
        cli.start(cliProgram(),
                  {QStringLiteral("send"), QStringLiteral("--timeout"), QStringLiteral("2")});
        QVERIFY(cli.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(server.accepted(), 10000);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
        // The mail in flight failed at its deadline; the second never started.
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 2);
        QCOMPARE(cli.readAllStandardOutput().count("通目を送信中"), 1);
    }

    void usageErrors()
    {
        // 3000000 seconds would overflow the deadlines' milliseconds.
        for (const QStringList &args :
             {QStringList{QStringLiteral("--timeout")}, QStringList{QStringLiteral("now")},
              QStringList{QStringLiteral("--timeout"), QStringLiteral("3000000")}})
            QCOMPARE(runCli(QStringList{QStringLiteral("send")} + args, m_home.path()).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliSend)
#include "tst_cli_send.moc"
