// tavelin-cli send-file: server from the store or the options, progress on
// stdout, exit status, the error text, and the file left in place.
#include "CliRun.h"
#include "ScriptedSmtpServer.h"

#include "store/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestSmtpCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QString m_mail;

    // send-file with args; output texts decoded.
    struct Run
    {
        int status;
        QString out;
        QString err;
    };
    Run sendFile(const QStringList &args)
    {
        const CliRun run = runCli(QStringList{QStringLiteral("send-file")} + args, m_home.path());
        return {run.status, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_mail = m_home.filePath(QStringLiteral("tvl1.TMP"));
        QFile file(m_mail);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("To: l@example.org\r\nFrom: o@example.org\r\n\r\nend\r\n");
    }

    void deliversWithTheStoredServer()
    {
        ScriptedSmtpServer server;
        server.upToContent().acceptAndQuit();
        QVERIFY(server.start());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home.path());
        CommonSettings settings;
        settings.Server = "127.0.0.1";
        settings.PortNo = server.port();
        QVERIFY(SaveCommonSettings(settings));

        const Run run = sendFile({m_mail});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QStringLiteral("ホストに接続中\nホストへの接続完了\n"));
        QCOMPARE(run.status, 0);
        QVERIFY(server.finish());
        QVERIFY(server.received().endsWith("end\r\n.\r\nQUIT\r\n"));
        QVERIFY(QFile::exists(m_mail)); // deleting is the send-all run's business
    }

    void refusalExitsOneWithTheErrorText()
    {
        ScriptedSmtpServer server;
        server.send("220 x\r\n").readLine().send("250 x\r\n").readLine().send("550 no\r\n");
        server.readLine().send("221 bye\r\n");
        QVERIFY(server.start());
        const Run run = sendFile({m_mail, QStringLiteral("--server"), QStringLiteral("localhost"),
                                  QStringLiteral("--port"), QString::number(server.port())});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral(
                     "コマンド実行に失敗しました\nコマンド:MAIL FROM:<o@example.org>\n"
                     "要求コード : 250\n応答コード : 550\nno\n")),
                 qPrintable(run.err));
        QVERIFY(QFile::exists(m_mail));
    }

    void timeoutSetsEveryDeadline()
    {
        ScriptedSmtpServer server;
        server.send("220 x\r\n").readLine().silence();
        QVERIFY(server.start());
        const Run run = sendFile({QStringLiteral("--timeout"), QStringLiteral("1"), m_mail,
                                  QStringLiteral("--server"), QStringLiteral("127.0.0.1"),
                                  QStringLiteral("--port"), QString::number(server.port())});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("応答受信(HELO)に失敗しました")),
                 qPrintable(run.err));
    }

    void badArgumentsAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no file") << QStringList();
        QTest::newRow("port 0") << QStringList{QStringLiteral("a"), QStringLiteral("--port"),
                                               QStringLiteral("0")};
        QTest::newRow("timeout text") << QStringList{
            QStringLiteral("a"), QStringLiteral("--timeout"), QStringLiteral("soon")};
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("a"), QStringLiteral("--tls")};
    }

    void badArgumentsAreUsageErrors()
    {
        QFETCH(QStringList, args);
        QCOMPARE(sendFile(args).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestSmtpCli)
#include "tst_smtp_cli.moc"
