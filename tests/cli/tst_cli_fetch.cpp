// tavelin-cli fetch against a real IMAP server started by the test.
#include "CliRun.h"
#include "DovecotServer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCliFetch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    // Runs tavelin-cli with `input` on its stdin, its store and data in m_home.
    CliRun run(const QStringList &args, const QByteArray &input = {}, const QString &caFile = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        if (!caFile.isEmpty())
            env.insert(QStringLiteral("SSL_CERT_FILE"), caFile);
        p.setProcessEnvironment(env);
        p.start(cliProgram(), QStringList{QStringLiteral("fetch")} + args);
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished(5000);
            return {};
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput(), p.readAllStandardError()};
    }

private Q_SLOTS:
    void usageErrorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("port zero") << QStringList{"--server", "h", "--user", "u", "--port", "0"};
        QTest::newRow("unknown option") << QStringList{"--server", "h", "--user", "u", "--all"};
        QTest::newRow("security") << QStringList{"--server", "h",          "--user",
                                                 "u",        "--security", "none"};
        QTest::newRow("no server") << QStringList{"--user", "u"};
        QTest::newRow("empty folder")
            << QStringList{"--server", "h", "--user", "u", "--folder", ""};
    }
    void usageErrorsExitWithTwo()
    {
        QFETCH(QStringList, args);
        const CliRun result = run(args);
        QCOMPARE(result.status, 2);
        QVERIFY(result.out.isEmpty());
    }

    void aFetchReportsEachMailOnceAndARefusalExitsWithOne()
    {
        if (!DovecotServer::installed())
            QSKIP("needs dovecot-imapd");
        DovecotServer server;
        QVERIFY(server.deliver("From: Majordomo@example.com\nTo: owner@example.org\n"
                               "Subject: Majordomo results: who\n\n>>>> who testlist\n"));
        QVERIFY(server.deliver(
            "From: friend@example.net\nSubject: =?UTF-8?B?5pel5pys?=\tnews\n\nhi\n"));
        QVERIFY2(server.start(), qPrintable(server.error()));
        const QStringList args = {
            "--server",        "127.0.0.1", "--port", QString::number(server.tlsPort()),
            "--security",      "tls",       "--user", DovecotServer::kUser,
            "--password-stdin"};
        const QByteArray password = QByteArray(DovecotServer::kPassword) + '\n';

        const CliRun refused =
            run(args + QStringList{"--move-to", "Done"}, "wrong\n", server.caFile());
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains("ログインを拒否されました"), refused.err.constData());
        QVERIFY(refused.out.isEmpty());
        QCOMPARE(server.mails().size(), 2);

        const CliRun untrusted = run(args, password); // the test authority is not named
        QCOMPARE(untrusted.status, 1);
        QVERIFY(untrusted.err.contains("信頼できる認証局の証明書ではありません"));

        const CliRun first = run(args + QStringList{"--report"}, password, server.caFile());
        QCOMPARE(first.status, 0);
        // The subject is decoded and its tab cannot split the line.
        QCOMPARE(first.out, QByteArray("1\treply\tMajordomo results: who\n2\tother\t日本 news\n"));
        QVERIFY(!first.out.contains(DovecotServer::kPassword));
        QVERIFY(!first.err.contains(DovecotServer::kPassword));

        const CliRun second = run(args, password, server.caFile());
        QCOMPARE(second.status, 0);
        QVERIFY2(second.out.startsWith("read=0 "), second.out.constData());
    }

    void theStoredThresholdsNameTheAddressesOverThem()
    {
        if (!DovecotServer::installed())
            QSKIP("needs dovecot-imapd");
        DovecotServer server;
        // gone@ bounced on two days, full@ on one.
        for (const auto &[address, date] :
             {std::pair{"gone@a.example", "Mon, 30 Nov 2026 09:00:00 +0900"},
              {"gone@a.example", "Tue, 1 Dec 2026 09:00:00 +0900"},
              {"full@b.example", "Tue, 1 Dec 2026 09:00:00 +0900"}})
            QVERIFY(server.deliver(deliveryReport(address, date)));
        QVERIFY2(server.start(), qPrintable(server.error()));
        QCOMPARE(runCli({"settings", "set", "BounceMinDays=2"}, m_home.filePath("config")).status,
                 0);
        const CliRun fetched =
            run({"--server", "127.0.0.1", "--port", QString::number(server.tlsPort()), "--user",
                 DovecotServer::kUser, "--password-stdin"},
                QByteArray(DovecotServer::kPassword) + '\n', server.caFile());
        QCOMPARE(fetched.status, 0);
        QByteArrayList over;
        for (const QByteArray &line : fetched.out.split('\n'))
            if (line.startsWith("over-threshold\t"))
                over.append(line.mid(line.lastIndexOf('\t') + 1));
        QCOMPARE(over, QByteArrayList{"gone@a.example"});
    }
};

QTEST_GUILESS_MAIN(TestCliFetch)
#include "tst_cli_fetch.moc"
