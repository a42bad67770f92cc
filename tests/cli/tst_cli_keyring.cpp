// Passwords in a real Secret Service (gnome-keyring on a private session
// bus): tavelin-cli moves them in and out, reads them to compose and to send,
// and with no keyring, or a locked one, moves nothing and sends nothing.
#include "AiosmtpdServer.h"
#include "CliRun.h"
#include "DovecotServer.h"
#include "SecretService.h"

#include "commands/OutgoingFolder.h"
#include "store/Keyring.h"

#include <QDir>
#include <QDirIterator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Passwords no output and no file outside the store and the keyring may hold.
const QByteArray kSmtpPassword = "smtp-Pa55";
const QByteArray kShiftJis = "\x83p\x83X\x83\x8f\x81[\x83h"; // パスワード in Shift-JIS
const QByteArray kAscii = "list-pw;#=[x]";
const QByteArray kAdded = "added pw";
const QByteArray kImapPassword = DovecotServer::kPassword;

} // namespace

class TestCliKeyring : public QObject
{
    Q_OBJECT

private:
    SecretService m_keyring;
    QTemporaryDir m_dir;

    QString home() const { return m_dir.filePath(QStringLiteral("home")); }
    QString store() const { return home() + QStringLiteral("/Orvendal/Tavelin.conf"); }
    QString outgoing() const { return m_dir.filePath(QStringLiteral("out")); }

    CliRun cli(const QStringList &args, const QByteArray &input = {},
               const QProcessEnvironment &env = {})
    {
        const CliRun run =
            runCli(args, home(), {}, input, env.isEmpty() ? m_keyring.environment() : env);
        // Only --show-passwords prints one.
        if (!args.contains(QStringLiteral("--show-passwords")))
            for (const QByteArray &password :
                 {kSmtpPassword, kShiftJis, kAscii, kAdded, kImapPassword})
                if (run.out.contains(password) || run.err.contains(password))
                    return {-2, run.out, "a password was printed: " + run.err};
        return run;
    }

    // Two lists, the SMTP login and the mailbox's, every password in the
    // store itself.
    void writeClearStore(quint16 port = 25, quint16 imapPort = 993)
    {
        QDir(home()).removeRecursively();
        QDir(outgoing()).removeRecursively();
        QVERIFY(QDir().mkpath(home() + QStringLiteral("/Orvendal")));
        QVERIFY(QDir().mkpath(outgoing()));
        QSettings raw(store(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Server"), QStringLiteral("127.0.0.1"));
        raw.setValue(QStringLiteral("PortNo"), port);
        raw.setValue(QStringLiteral("UserName"), QStringLiteral("owner"));
        raw.setValue(QStringLiteral("Password"), kSmtpPassword);
        raw.setValue(QStringLiteral("Address"), QStringLiteral("owner@example.org"));
        raw.setValue(QStringLiteral("MailSavePath"), outgoing());
        raw.setValue(QStringLiteral("MailingLists/MailingList0/Title"), QStringLiteral("ja"));
        raw.setValue(QStringLiteral("MailingLists/MailingList0/Address"),
                     QStringLiteral("majordomo@example.org"));
        raw.setValue(QStringLiteral("MailingLists/MailingList0/ListName"), QStringLiteral("ja-l"));
        raw.setValue(QStringLiteral("MailingLists/MailingList0/Passwd"), kShiftJis);
        raw.setValue(QStringLiteral("MailingLists/MailingList1/Title"), QStringLiteral("en"));
        raw.setValue(QStringLiteral("MailingLists/MailingList1/ListName"), QStringLiteral("en-l"));
        raw.setValue(QStringLiteral("MailingLists/MailingList1/Passwd"), kAscii);
        raw.setValue(QStringLiteral("Fetch/Server"), QStringLiteral("127.0.0.1"));
        raw.setValue(QStringLiteral("Fetch/Port"), imapPort);
        raw.setValue(QStringLiteral("Fetch/UserName"), QLatin1String(DovecotServer::kUser));
        raw.setValue(QStringLiteral("Fetch/Password"), kImapPassword);
    }

    // The keyring entry the store names for list `title`.
    QByteArray marker(const QString &title)
    {
        QSettings raw(store(), QSettings::IniFormat);
        raw.beginGroup(QStringLiteral("MailingLists"));
        for (const QString &key : raw.childGroups())
            if (raw.value(key + QStringLiteral("/Title")).toString() == title)
                return raw.value(key + QStringLiteral("/PasswdKeyring")).toByteArray();
        return {};
    }

    // Every file the test made, apart from the keyring's own: none may hold a
    // password but the store (and that only while the option is off).
    QStringList filesHolding(const QByteArray &password, bool storeToo)
    {
        QStringList found;
        QDirIterator it(m_dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (file.startsWith(m_keyring.keyringFolder()) || (!storeToo && file == store()))
                continue;
            if (readFile(file).contains(password))
                found.append(file);
        }
        return found;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (!m_keyring.start())
            QSKIP(qPrintable(m_keyring.error()));
        // This process reads the keyring too, to see what it holds.
        m_keyring.useInThisProcess();
    }

    void switchingOnMovesEveryPasswordAndOffBringsThemBack()
    {
        writeClearStore();
        CliRun run = cli({"settings", "set", "KeyringPasswords=1"});
        QCOMPARE(run.status, 0);
        for (const QByteArray &password : {kSmtpPassword, kShiftJis, kAscii, kImapPassword})
            QVERIFY2(filesHolding(password, true).isEmpty(),
                     qPrintable(filesHolding(password, true).join(u' ')));
        QCOMPARE(Keyring::read(Keyring::kSmtpEntry).value, kSmtpPassword);
        QCOMPARE(Keyring::read(Keyring::kImapEntry).value, kImapPassword);
        QCOMPARE(Keyring::read(marker("ja")).value, kShiftJis);
        QCOMPARE(Keyring::read(marker("en")).value, kAscii);

        run = cli({"lists"});
        QCOMPARE(run.out, QByteArray("en\t\ten-l\t(set)\t\t\t\nja\tmajordomo@example.org\tja-l\t"
                                     "(set)\t\t\t\n"));
        QCOMPARE(cli({"lists", "--show-passwords"}).out,
                 "en\t\ten-l\t" + kAscii + "\t\t\t\nja\tmajordomo@example.org\tja-l\t" + kShiftJis +
                     "\t\t\t\n");
        QVERIFY(cli({"settings"}).out.contains("\nPassword=(set)\n"));
        QVERIFY(cli({"settings"}).out.contains("\nImapPassword=(set)\n"));

        // A list added now goes into the keyring; its entry follows a rename
        // and goes with the list.
        QCOMPARE(
            cli({"lists", "add", "new", "--address", "a", "--list-name", "n", "--password-stdin"},
                kAdded + '\n')
                .status,
            0);
        const QByteArray added = marker("new");
        QVERIFY(!added.isEmpty());
        QCOMPARE(Keyring::read(added).value, kAdded);
        QCOMPARE(cli({"lists", "rename", "new", "aaa"}).status, 0);
        QCOMPARE(marker("aaa"), added);
        QCOMPARE(cli({"lists", "remove", "aaa"}).status, 0);
        QVERIFY(!Keyring::read(added).ok());
        QVERIFY(filesHolding(kAdded, true).isEmpty());

        // Off: back into the store byte for byte, and out of the keyring.
        const QByteArray ja = marker("ja");
        QCOMPARE(cli({"settings", "set", "KeyringPasswords=0"}).status, 0);
        QVERIFY(!Keyring::read(ja).ok());
        QVERIFY(!Keyring::read(Keyring::kSmtpEntry).ok());
        QVERIFY(!Keyring::read(Keyring::kImapEntry).ok());
        QSettings raw(store(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("Password")).toByteArray(), kSmtpPassword);
        QCOMPARE(raw.value(QStringLiteral("Fetch/Password")).toByteArray(), kImapPassword);
        QVERIFY(!raw.contains(QStringLiteral("Fetch/PasswordKeyring")) ||
                raw.value(QStringLiteral("Fetch/PasswordKeyring")).toString().isEmpty());
        QCOMPARE(raw.value(QStringLiteral("MailingLists/MailingList1/Passwd")).toByteArray(),
                 kShiftJis);
        QCOMPARE(raw.value(QStringLiteral("MailingLists/MailingList0/Passwd")).toByteArray(),
                 kAscii);
    }

    void composeAndSendReadTheKeyring()
    {
        const QString certs = m_dir.filePath(QStringLiteral("certs"));
        QVERIFY(QDir().mkpath(certs));
        QVERIFY2(makeTestCertificates(certs), "make_test_certs.py failed");
        AiosmtpdServer server;
        if (!server.start({QStringLiteral("--tls"), certs + QStringLiteral("/good.pem"),
                           certs + QStringLiteral("/good.key"), QStringLiteral("--auth"),
                           QStringLiteral("owner"), QString::fromLatin1(kSmtpPassword)}))
            QFAIL(qPrintable(server.error()));
        writeClearStore(server.port());
        QCOMPARE(cli({"settings", "set", "KeyringPasswords=1"}).status, 0);

        const CliRun composed = cli({"compose", "MemberList", "--list", "ja"});
        QCOMPARE(composed.status, 0);
        const QString mail = QString::fromLocal8Bit(composed.out.trimmed());
        QVERIFY(readFile(mail).contains("approve " + kShiftJis + " who ja-l"));

        QProcessEnvironment env = m_keyring.environment();
        env.insert(QStringLiteral("SSL_CERT_FILE"), certs + QStringLiteral("/ca.pem"));
        const CliRun sent = cli({"send", "--timeout", "20"}, {}, env);
        QVERIFY2(sent.status == 0, sent.err.constData());
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 0);
        // The queued mail held the list's password; nothing else does.
        QVERIFY(filesHolding(kSmtpPassword, true).isEmpty());
        QCOMPARE(cli({"settings", "set", "KeyringPasswords=0"}).status, 0);
    }

    void fetchLogsInWithTheKeyringsPassword()
    {
        if (!DovecotServer::installed())
            QSKIP("needs dovecot-imapd");
        DovecotServer server;
        QVERIFY(server.deliver("From: friend@example.net\nSubject: hello\n\nhi\n"));
        QVERIFY2(server.start(), qPrintable(server.error()));
        writeClearStore(25, server.tlsPort());
        QCOMPARE(cli({"settings", "set", "KeyringPasswords=1"}).status, 0);
        QVERIFY(filesHolding(kImapPassword, true).isEmpty());
        QProcessEnvironment env = m_keyring.environment();
        env.insert(QStringLiteral("SSL_CERT_FILE"), server.caFile());
        const CliRun fetched = cli({"fetch", "--report"}, {}, env);
        QVERIFY2(fetched.status == 0, fetched.err.constData());
        QCOMPARE(fetched.out, QByteArray("1\tother\thello\n"));
        QCOMPARE(cli({"settings", "set", "KeyringPasswords=0"}).status, 0);
    }

    // No keyring, then a locked one (last: it stays locked): nothing moves,
    // nothing is composed or sent with an empty password, and the message
    // says why.
    void anUnreachableOrLockedKeyringMovesNothing()
    {
        QProcessEnvironment noBus = m_keyring.environment();
        noBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                     QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-bus")));
        for (const bool locked : {false, true}) {
            const QProcessEnvironment env = locked ? m_keyring.environment() : noBus;
            writeClearStore();
            if (locked)
                QVERIFY(m_keyring.lock());
            const QByteArray clear = readFile(store());
            CliRun run = cli({"settings", "set", "KeyringPasswords=1"}, {}, env);
            QCOMPARE(run.status, 1);
            QVERIFY2(QString::fromUtf8(run.err).contains(QStringLiteral("ｷｰﾘﾝｸﾞ")),
                     run.err.constData());
            QCOMPARE(readFile(store()), clear);
        }

        // Passwords that live in a keyring that is locked now.
        QSettings raw(store(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("KeyringPasswords"), 1);
        raw.setValue(QStringLiteral("Password"), QString());
        raw.setValue(QStringLiteral("PasswordKeyring"), QStringLiteral("smtp"));
        raw.setValue(QStringLiteral("Fetch/Password"), QString());
        raw.setValue(QStringLiteral("Fetch/PasswordKeyring"), QStringLiteral("imap"));
        for (const char *list : {"MailingList0", "MailingList1"}) {
            raw.setValue(QStringLiteral("MailingLists/%1/Passwd").arg(QLatin1String(list)),
                         QString());
            raw.setValue(QStringLiteral("MailingLists/%1/PasswdKeyring").arg(QLatin1String(list)),
                         QStringLiteral("list-%1").arg(QLatin1String(list)));
        }
        raw.sync();
        AiosmtpdServer server;
        if (!server.start())
            QFAIL(qPrintable(server.error()));
        QVERIFY(writeFile(outgoing() + QStringLiteral("/tvl1.TMP"),
                          "To: a@example.org\r\nFrom: owner@example.org\r\n\r\nend\r\n"));
        for (const QStringList &args :
             {QStringList{"compose", "MemberList", "--list", "ja"},
              QStringList{"send-file", outgoing() + QStringLiteral("/tvl1.TMP"), "--port",
                          QString::number(server.port())},
              QStringList{"settings", "set", "KeyringPasswords=0"}, QStringList{"fetch"},
              QStringList{"lists", "--show-passwords"}}) {
            const CliRun run = cli(args);
            QCOMPARE(run.status, 1);
            QVERIFY2(QString::fromUtf8(run.err).contains(
                         QStringLiteral("ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞから読めません")),
                     run.err.constData());
        }
        QVERIFY(server.commands().isEmpty());
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 1);
        // A change of another field keeps the markers: the passwords stay
        // where they are.
        QCOMPARE(cli({"lists", "set", "en", "Address=new@example.org"}).status, 0);
        QCOMPARE(marker("en"), QByteArray("list-MailingList1"));
        QCOMPARE(marker("ja"), QByteArray("list-MailingList0"));
        QVERIFY(readFile(store()).contains("PasswordKeyring=smtp\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliKeyring)
#include "tst_cli_keyring.moc"
