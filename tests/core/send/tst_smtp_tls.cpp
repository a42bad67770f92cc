// Deliveries with TLS and a login to a real SMTP server (aiosmtpd on
// 127.0.0.1, with certificates this test makes): what arrives, what the
// server was sent, and that credentials never go where they must not.
#include "AiosmtpdServer.h"
#include "CliRun.h"

#include "commands/OutgoingFolder.h"
#include "send/SmtpWorker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

const QByteArray kUser = "owner";
const QByteArray kPassword = "pa55-Wörd";
const QByteArray kMail = "To: majordomo@example.org\r\n"
                         "From: owner@example.org\r\n"
                         "X-Tavelin-ML: mylist\r\n"
                         "\r\n"
                         "approve pw who mylist\r\n"
                         ".\r\n"
                         "end\r\n";

struct Outcome
{
    bool delivered = false;
    QString error;
    QStringList progress;
};

} // namespace

class TestSmtpTls : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString cert(const char *name) const
    {
        return m_dir.filePath(QStringLiteral("certs/%1").arg(QLatin1String(name)));
    }

    // --tls with the certificate NAME.pem and its key.
    QStringList tls(const char *name) const
    {
        const QString stem = cert(name);
        return {QStringLiteral("--tls"), stem + QStringLiteral(".pem"),
                stem + QStringLiteral(".key")};
    }

    // One delivery of kMail through a worker, as the send-all run makes it.
    Outcome deliver(quint16 port, const QByteArray &user, const QByteArray &password,
                    quint16 implicitTlsPort = kImplicitTlsPort)
    {
        Outcome outcome;
        const QString path = m_dir.filePath(QStringLiteral("tvlA.TMP"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(kMail) != kMail.size())
            return outcome;
        file.close();
        QObject window;
        SendJob job;
        std::optional<bool> delivered;
        job.resultWindow = &window;
        job.onResult = [&](quint32, SendJob &, bool ok) { delivered = ok; };
        job.statusWindow = &window;
        job.onStatus = [&](quint32, const QString &line, int) { outcome.progress << line; };
        job.server = "127.0.0.1";
        job.port = port;
        job.implicitTlsPort = implicitTlsPort;
        job.userName = user;
        job.password = password;
        job.mailFile = path;
        job.deadlines = SmtpDeadlines::uniform(20000);
        SmtpWorker worker;
        if (worker.start(job) && QTest::qWaitFor([&] { return delivered.has_value(); }, 30000)) {
            outcome.delivered = *delivered;
            outcome.error = job.errorText;
        }
        return outcome;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(cert("")));
        QVERIFY2(makeTestCertificates(cert("")), "make_test_certs.py failed");
        // The test authority, as OpenSSL programs take an extra one.
        qputenv("SSL_CERT_FILE", cert("ca.pem").toLocal8Bit());
    }

    void mailArrivesOverTlsWithALogin_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("implicitTls");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArrayList>("commands");
        const QStringList login = {QStringLiteral("--auth"), QString::fromUtf8(kUser),
                                   QString::fromUtf8(kPassword)};
        const QByteArrayList afterLogin = {"MAIL", "RCPT", "DATA", "QUIT"};
        QTest::newRow("STARTTLS, AUTH PLAIN")
            << tls("good") + login << false << kUser
            << QByteArrayList{"EHLO", "STARTTLS", "EHLO", "AUTH"} + afterLogin;
        QTest::newRow("STARTTLS, only AUTH LOGIN offered")
            << tls("good") + login +
                   QStringList{QStringLiteral("--exclude"), QStringLiteral("PLAIN")}
            << false << kUser << QByteArrayList{"EHLO", "STARTTLS", "EHLO", "AUTH"} + afterLogin;
        QTest::newRow("implicit TLS, AUTH PLAIN")
            << tls("good") + login << true << kUser << QByteArrayList{"EHLO", "AUTH"} + afterLogin;
        QTest::newRow("implicit TLS, no user name")
            << tls("good") << true << QByteArray() << QByteArrayList{"HELO"} + afterLogin;
    }

    void mailArrivesOverTlsWithALogin()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, implicitTls);
        QFETCH(QByteArray, user);
        QFETCH(QByteArrayList, commands);
        AiosmtpdServer server;
        if (!server.start(options, implicitTls))
            QFAIL(qPrintable(server.error()));
        const Outcome outcome =
            implicitTls ? deliver(server.implicitPort(), user, kPassword, server.implicitPort())
                        : deliver(server.port(), user, kPassword);
        QVERIFY2(outcome.delivered, qPrintable(outcome.error));
        const QList<AiosmtpdServer::Mail> mails = server.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails[0].content, kMail);
        QCOMPARE(mails[0].rcptTo, QByteArrayList{"majordomo@example.org"});
        QCOMPARE(server.commands(), commands);
        QVERIFY(outcome.progress.contains(QStringLiteral("TLS 開始中")));
        QCOMPARE(outcome.progress.contains(QStringLiteral("認証中")), !user.isEmpty());
    }

    void refusedConnectionsSendNothing_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QString>("error"); // how the error text starts
        QTest::addColumn<QByteArrayList>("commands");
        const QStringList login = {QStringLiteral("--auth"), QString::fromUtf8(kUser),
                                   QString::fromUtf8(kPassword)};
        QTest::newRow("wrong password")
            << tls("good") + login << QByteArray("not-the-pa55")
            << QStringLiteral("ログインを拒否されました\nコマンド:AUTH PLAIN\n要求コード : 235\n"
                              "応答コード : 535\n5.7.8 Authentication credentials invalid")
            << QByteArrayList{"EHLO", "STARTTLS", "EHLO", "AUTH", "QUIT"};
        QTest::newRow("untrusted certificate")
            << tls("untrusted") + login << kPassword
            << QStringLiteral("サーバーの証明書を拒否しました\n理由:信頼できる認証局の証明書では"
                              "ありません")
            << QByteArrayList{"EHLO", "STARTTLS"};
        QTest::newRow("expired certificate")
            << tls("expired") + login << kPassword
            << QStringLiteral("サーバーの証明書を拒否しました\n理由:有効期限が切れています")
            << QByteArrayList{"EHLO", "STARTTLS"};
        QTest::newRow("certificate of another host")
            << tls("wronghost") + login << kPassword
            << QStringLiteral("サーバーの証明書を拒否しました\n理由:ホスト名(127.0.0.1)の証明書"
                              "ではありません")
            << QByteArrayList{"EHLO", "STARTTLS"};
        // Qt takes the subject's name beside the alternative names, and an
        // address written as a host name; neither names the server.
        QTest::newRow("subject name beside other alternative names")
            << tls("cnonly") + login << kPassword
            << QStringLiteral("サーバーの証明書を拒否しました\n理由:ホスト名(127.0.0.1)の証明書"
                              "ではありません")
            << QByteArrayList{"EHLO", "STARTTLS"};
        QTest::newRow("address as a host name")
            << tls("ipasdns") + login << kPassword
            << QStringLiteral("サーバーの証明書を拒否しました\n理由:ホスト名(127.0.0.1)の証明書"
                              "ではありません")
            << QByteArrayList{"EHLO", "STARTTLS"};
        // Refusals Qt has no name for give OpenSSL's reason.
        QTest::newRow("SHA-1 signature")
            << tls("sha1") + login << kPassword
            << QStringLiteral("サーバーの証明書を拒否しました\n理由:CA signature digest algorithm "
                              "too weak")
            << QByteArrayList{"EHLO", "STARTTLS"};
        QTest::newRow("short key")
            << tls("shortkey") + login << kPassword
            << QStringLiteral("サーバーの証明書を拒否しました\n理由:EE certificate key too weak")
            << QByteArrayList{"EHLO", "STARTTLS"};
        QTest::newRow("no mechanism we know")
            << tls("good") + login +
                   QStringList{QStringLiteral("--exclude"), QStringLiteral("PLAIN"),
                               QStringLiteral("LOGIN")}
            << kPassword
            << QStringLiteral("サーバーが対応するログイン方式(AUTH PLAIN、AUTH LOGIN)がありません")
            << QByteArrayList{"EHLO", "STARTTLS", "EHLO", "QUIT"};
        QTest::newRow("no STARTTLS, AUTH offered in the clear")
            << login + QStringList{QStringLiteral("--auth-in-clear")} << kPassword
            << QStringLiteral("サーバーがTLS(STARTTLS)に対応していないため、ユーザー名とパスワード"
                              "を送信できません")
            << QByteArrayList{"EHLO", "QUIT"};
    }

    void refusedConnectionsSendNothing()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, password);
        QFETCH(QString, error);
        QFETCH(QByteArrayList, commands);
        AiosmtpdServer server;
        if (!server.start(options))
            QFAIL(qPrintable(server.error()));
        const Outcome outcome = deliver(server.port(), kUser, password);
        QVERIFY(!outcome.delivered);
        QVERIFY2(outcome.error.startsWith(error), qPrintable(outcome.error));
        QVERIFY(!outcome.error.contains(QString::fromUtf8(password)));
        QVERIFY(!outcome.progress.join(u'\n').contains(QString::fromUtf8(password)));
        QVERIFY(server.mails().isEmpty());
        QCOMPARE(server.commands(), commands);
    }

    // The next connection to a server offers the session of the last one: the
    // server that made it takes it back; another server on the same port
    // cannot, and its certificate is verified as on any first connection.
    void onlyTheSameServerResumesTheSession()
    {
        const QStringList login = {QStringLiteral("--auth"), QString::fromUtf8(kUser),
                                   QString::fromUtf8(kPassword)};
        quint16 port = 0;
        {
            AiosmtpdServer server;
            if (!server.start(tls("good") + login))
                QFAIL(qPrintable(server.error()));
            port = server.port();
            for (int i = 0; i < 2; ++i) {
                const Outcome outcome = deliver(port, kUser, kPassword);
                QVERIFY2(outcome.delivered, qPrintable(outcome.error));
            }
            const QList<AiosmtpdServer::Mail> mails = server.mails();
            QCOMPARE(mails.size(), 2);
            QCOMPARE(mails[0].tls, QByteArray("full"));
            QCOMPARE(mails[1].tls, QByteArray("resumed"));
            QCOMPARE(mails[1].content, kMail);
        }
        AiosmtpdServer impostor;
        if (!impostor.start(tls("untrusted") + login, false, port))
            QFAIL(qPrintable(impostor.error()));
        const Outcome outcome = deliver(port, kUser, kPassword);
        QVERIFY(!outcome.delivered);
        QVERIFY2(outcome.error.startsWith(QStringLiteral("サーバーの証明書を拒否しました")),
                 qPrintable(outcome.error));
        QCOMPARE(impostor.commands(), (QByteArrayList{"EHLO", "STARTTLS"}));
    }

    // The stored SmtpSecurity decides, through send-file: "none" never logs
    // in whatever user name is stored; without the value it is derived as
    // before; a server without STARTTLS names the setting in the failure.
    void storedSecurityDecidesTheConversation_data()
    {
        QTest::addColumn<QByteArray>("security");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::newRow("none with a user") << QByteArray("none") << kUser << 0
                                          << QByteArrayList{"HELO", "MAIL", "RCPT", "DATA", "QUIT"};
        QTest::newRow("absent with a user: STARTTLS")
            << QByteArray() << kUser << 1 << QByteArrayList{"EHLO", "QUIT"};
        QTest::newRow("starttls without a user")
            << QByteArray("starttls") << QByteArray() << 1 << QByteArrayList{"EHLO", "QUIT"};
    }
    void storedSecurityDecidesTheConversation()
    {
        QFETCH(QByteArray, security);
        QFETCH(QByteArray, user);
        QFETCH(int, status);
        QFETCH(QByteArrayList, commands);
        AiosmtpdServer server;
        if (!server.start())
            QFAIL(qPrintable(server.error()));
        const QString home = m_dir.filePath(QStringLiteral("security"));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/Orvendal")));
        const QString mail = home + QStringLiteral("/tvl1.TMP");
        QVERIFY(writeFile(mail, kMail));
        QVERIFY(writeFile(
            home + QStringLiteral("/Orvendal/Tavelin.conf"),
            "[General]\nServer=127.0.0.1\nPortNo=" + QByteArray::number(server.port()) +
                "\nUserName=" + user + "\nPassword=" + kPassword +
                (security.isEmpty() ? QByteArray() : "\nSmtpSecurity=" + security) + "\n"));
        const CliRun run = runCli({QStringLiteral("send-file"), mail}, home);
        QCOMPARE(run.status, status);
        QCOMPARE(server.commands(), commands);
        if (status != 0)
            QVERIFY2(
                QString::fromUtf8(run.err).contains(QStringLiteral("に対応していないため、")) &&
                    QString::fromUtf8(run.err).contains(QStringLiteral("「接続の保護」")),
                run.err.constData());
        QVERIFY(!run.out.contains(kPassword) && !run.err.contains(kPassword));
    }

    void sendUsesTheStoredLoginAndKeepsARefusedMail()
    {
        // tavelin-cli send with the login in the store: the wrong password is
        // refused, the mail stays queued, and the password shows nowhere.
        AiosmtpdServer server;
        if (!server.start(tls("good") + QStringList{QStringLiteral("--auth"),
                                                    QString::fromUtf8(kUser),
                                                    QStringLiteral("right")}))
            QFAIL(qPrintable(server.error()));
        const QString home = m_dir.filePath(QStringLiteral("home"));
        const QString outgoing = m_dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/Orvendal")));
        QVERIFY(QDir().mkpath(outgoing));
        QVERIFY(writeFile(outgoing + QStringLiteral("/tvl1.TMP"), kMail));
        QVERIFY(
            writeFile(home + QStringLiteral("/Orvendal/Tavelin.conf"),
                      "[General]\nServer=127.0.0.1\nPortNo=" + QByteArray::number(server.port()) +
                          "\nUserName=" + kUser + "\nPassword=" + kPassword +
                          "\nMailSavePath=" + outgoing.toLocal8Bit() + "\n"));
        const CliRun run = runCli(
            {QStringLiteral("send"), QStringLiteral("--timeout"), QStringLiteral("20")}, home);
        QCOMPARE(run.status, 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(QStringLiteral("ログインを拒否されました")),
                 run.err.constData());
        QVERIFY(!run.out.contains(kPassword) && !run.err.contains(kPassword));
        QCOMPARE(OutgoingFolder::CountQueued(outgoing), 1);
        QVERIFY(server.mails().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSmtpTls)
#include "tst_smtp_tls.moc"
