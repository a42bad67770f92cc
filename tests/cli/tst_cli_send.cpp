// tavelin-cli send: a queue composed with tavelin-cli compose, sent to a real
// SMTP server; a failing server; Ctrl-C; the dial-up of --dial against
// NetworkManager as python3-dbusmock plays it.
#include "AiosmtpdServer.h"
#include "CliRun.h"
#include "NetworkManagerMock.h"
#include "ScriptedSmtpServer.h"

#include "commands/OutgoingFolder.h"
#include "send/SendAllRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

QProcess *startCli(const QStringList &args, const QString &configHome, QObject *parent,
                   QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
{
    auto *cli = new QProcess(parent);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    cli->setProcessEnvironment(env);
    cli->start(cliProgram(), args);
    return cli;
}

// Lines of length 100 up to about `size` bytes, none of them "EOF".
QByteArray bigText(qsizetype size)
{
    QByteArray line(98, 'x');
    QByteArray text;
    text.reserve(size + 100);
    for (int i = 0; text.size() < size; ++i)
        text += line.replace(0, 8, QByteArray::number(i).rightJustified(8, '0')) + "\r\n";
    return text;
}

// Unmounts a folder when the test ends, however it ends.
struct Unmount
{
    QByteArray path;
    ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
};

} // namespace

class TestCliSend : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    NetworkManagerMock m_nm;
    int m_nmUp = -1; // not started yet

    // NetworkManager's stand-in with the profiles Provider and Office, and
    // in `env` the environment that makes it tavelin-cli's system bus.
    bool networkManager(QProcessEnvironment &env)
    {
        if (m_nmUp < 0)
            m_nmUp = m_nm.start() ? 1 : 0;
        if (m_nmUp == 0)
            return false;
        m_nm.reset();
        m_nm.addProfile(QStringLiteral("Provider"));
        m_nm.addProfile(QStringLiteral("Office"));
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_nm.address());
        return true;
    }

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
        // The terminal's last line says the run stopped, not that it completed.
        QVERIFY2(run.out.endsWith("  送信を中止しました(未送信 1 通)\n"), run.out.constData());
        QVERIFY(!run.out.contains("送信を完了しました"));
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
        QProcess &cli =
            *startCli({QStringLiteral("send"), QStringLiteral("--timeout"), QStringLiteral("2")},
                      m_home.path(), this);
        QVERIFY(cli.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(server.accepted(), 10000);
        // Line-buffered: the line reached shows while the run still waits.
        QByteArray shown;
        QTRY_VERIFY_WITH_TIMEOUT((shown += cli.readAllStandardOutput()).contains("通目を送信中\n"),
                                 10000);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
        // The mail in flight failed at its deadline; the second never started.
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 2);
        QCOMPARE((shown + cli.readAllStandardOutput()).count("通目を送信中"), 1);
    }

    void twoRunsAtOnceSendEveryMailOnce()
    {
        // A run killed while it sends leaves its lock; the next run takes it over.
        ScriptedSmtpServer silent;
        silent.send("220 slow\r\n").silence();
        QVERIFY(silent.start());
        writeStore(silent.port());
        compose({QStringLiteral("3")});
        QProcess *killed = startCli({QStringLiteral("send")}, m_home.path(), this);
        QTRY_VERIFY_WITH_TIMEOUT(silent.accepted(), 10000);
        ::kill(pid_t(killed->processId()), SIGKILL);
        QVERIFY(killed->waitForFinished(10000));
        QVERIFY(QFile::exists(OutgoingFolder::QueuedPath(outgoing(), SendAllRun::lockFileName())));

        AiosmtpdServer server;
        if (!server.start({QStringLiteral("--delay"), QStringLiteral("0.2")}))
            QFAIL(qPrintable(server.error()));
        writeStore(server.port());
        for (int i = 1; i < 10; ++i)
            compose({QStringLiteral("0"), QStringLiteral("--arg"),
                     QStringLiteral("m%1@example.org").arg(i)});
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 10);

        const QStringList args = {QStringLiteral("send"), QStringLiteral("--timeout"),
                                  QStringLiteral("20")};
        QProcess *first = startCli(args, m_home.path(), this);
        QProcess *second = startCli(args, m_home.path(), this);
        QVERIFY(first->waitForFinished(60000) && second->waitForFinished(60000));
        const QByteArray refused =
            first->exitCode() == 1 ? first->readAllStandardError() : second->readAllStandardError();
        QCOMPARE(QSet<int>({first->exitCode(), second->exitCode()}), QSet<int>({0, 1}));
        QVERIFY2(refused.contains("別の送信が実行中です"), refused.constData());

        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 0);
        QCOMPARE(server.mails().size(), 10);
        QSet<QByteArray> subjects;
        for (const AiosmtpdServer::Mail &mail : server.mails())
            subjects.insert(mail.content.mid(mail.content.indexOf("Subject:")).split('\r').first());
        QCOMPARE(subjects.size(), 10);
        QVERIFY(!QFile::exists(OutgoingFolder::QueuedPath(outgoing(), SendAllRun::lockFileName())));
    }

    void composeKilledAnywhereNeverQueuesPartOfAMail()
    {
        writeStore(1);
        const QString info = m_home.filePath(QStringLiteral("info.txt"));
        QVERIFY(writeFile(info, bigText(40 << 20)));
        const QStringList args = {QStringLiteral("compose"), QStringLiteral("4"),
                                  QStringLiteral("--list"),  QStringLiteral("ml"),
                                  QStringLiteral("--arg"),   info};
        QElapsedTimer timer;
        timer.start();
        const CliRun whole = runCli(args, m_home.path());
        const qint64 takes = timer.elapsed();
        QVERIFY2(whole.status == 0, whole.err.constData());
        const qint64 size = QFileInfo(QString::fromLocal8Bit(whole.out.trimmed())).size();

        // Kill moments spread over the later half of the run, where the text
        // read and composed in its first half is written.
        for (int round = 0; round < 20; ++round) {
            const int moment = int(takes / 2 + QRandomGenerator::global()->bounded(takes / 2 + 1));
            QProcess *cli = startCli(args, m_home.path(), this);
            QVERIFY(cli->waitForStarted(10000));
            QThread::msleep(ulong(moment));
            ::kill(pid_t(cli->processId()), SIGKILL);
            QVERIFY(cli->waitForFinished(10000));
            delete cli;
            for (const QString &name : OutgoingFolder::ListQueued(outgoing())) {
                QFile mail(OutgoingFolder::QueuedPath(outgoing(), name));
                QVERIFY(mail.open(QIODevice::ReadOnly));
                QVERIFY2(
                    mail.size() == size,
                    qPrintable(QStringLiteral("%1 after a kill at %2 ms").arg(name).arg(moment)));
                QVERIFY(mail.seek(size - 7));
                QCOMPARE(mail.read(7), QByteArray("\r\nEOF\r\n"));
            }
        }
    }

    void aFullDiskLeavesNoPartialFileAndSaysWhy()
    {
        const QByteArray folder = QFile::encodeName(outgoing());
        if (::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=512k,mode=0700") != 0)
            QSKIP(qPrintable(QStringLiteral("a small tmpfs cannot be mounted here: %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        const Unmount unmount{folder};
        AiosmtpdServer server;
        if (!server.start())
            QFAIL(qPrintable(server.error()));
        writeStore(server.port(), "SaveMail=1\n");
        const QString info = m_home.filePath(QStringLiteral("info.txt"));
        QVERIFY(writeFile(info, bigText(100 << 10)));
        const QStringList big = {QStringLiteral("4"), QStringLiteral("--arg"), info};
        compose(big);
        const QString config = outgoing() + QStringLiteral("/list.conf");
        QVERIFY(writeFile(config, "advertise << END\r\n" + bigText(100 << 10) + "END\r\n"));
        const QByteArray configBefore = readFile(config);

        // Fill the disk up to 40 KB: too little for a mail, a copy or a config.
        struct statvfs fs
        {
        };
        QCOMPARE(::statvfs(folder.constData(), &fs), 0);
        const qint64 room = qint64(fs.f_bavail) * qint64(fs.f_bsize);
        QVERIFY(
            writeFile(outgoing() + QStringLiteral("/filler"), QByteArray(room - (40 << 10), 'f')));
        QVERIFY(QDir().mkpath(outgoing() + QStringLiteral("/ml")));

        const CliRun composed = runCli(
            QStringList{QStringLiteral("compose"), QStringLiteral("--list"), QStringLiteral("ml")} +
                big,
            m_home.path());
        QCOMPARE(composed.status, 1);
        QVERIFY2(composed.err.contains("No space left on device"), composed.err.constData());

        const CliRun normalized =
            runCli({QStringLiteral("config"), QStringLiteral("normalize"), config}, m_home.path());
        QCOMPARE(normalized.status, 1);
        QVERIFY2(normalized.err.contains("No space left on device"), normalized.err.constData());
        QCOMPARE(readFile(config), configBefore);

        // The mail still goes out and leaves the queue; its copy is missing, said with its path.
        const CliRun sent =
            runCli({QStringLiteral("send"), QStringLiteral("--timeout"), QStringLiteral("20")},
                   m_home.path());
        QCOMPARE(sent.status, 1);
        QVERIFY2(sent.err.contains(QFile::encodeName(outgoing()) + "/ml/tvl") &&
                     sent.err.contains("No space left on device"),
                 sent.err.constData());
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 0);
        QCOMPARE(QDir(outgoing() + QStringLiteral("/ml"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        QCOMPARE(QDir(outgoing()).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    void dialFirstAndHangUpOnlyWhatWasDialled_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("upBefore"); // the type of a connection up already
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<bool>("serverUp");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("dialled, sent, hung up")
            << "Provider" << QString() << false << true << 0
            << QByteArray("通信ポートを初期化中\n正常に接続しました\n(1/1)通目を送信中\n")
            << QByteArray();
        QTest::newRow("a PPPoE line is up: used and left up")
            << "Provider"
            << "pppoe" << false << true << 0
            << QByteArray("すでに接続されています\n(1/1)通目を送信中\n") << QByteArray();
        QTest::newRow("a wired LAN is up: dialled beside it")
            << "Provider"
            << "802-3-ethernet" << false << true << 0
            << QByteArray("通信ポートを初期化中\n正常に接続しました\n") << QByteArray();
        QTest::newRow("refused")
            << "Provider" << QString() << true << true << 1 << QByteArray("接続に失敗しました\n")
            << QByteArray("接続に失敗しました (NetworkManager refused it or gave no reason)");
        QTest::newRow("no such connection")
            << "Nowhere" << QString() << false << true << 1 << QByteArray("接続に失敗しました\n")
            << QByteArray("no NetworkManager connection is named 'Nowhere'");
        QTest::newRow("delivery fails: hung up all the same")
            << "Provider" << QString() << false << false << 1
            << QByteArray("正常に接続しました\n(1/1)通目を送信中\n") << QByteArray();
    }

    void dialFirstAndHangUpOnlyWhatWasDialled()
    {
        QFETCH(QString, entry);
        QFETCH(QString, upBefore);
        QFETCH(bool, refuse);
        QFETCH(bool, serverUp);
        QFETCH(int, status);
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, error);
        QProcessEnvironment env;
        if (!networkManager(env))
            QSKIP(qPrintable(QStringLiteral("no NetworkManager stand-in: ") + m_nm.error()));
        if (!upBefore.isEmpty())
            m_nm.bringUp(QStringLiteral("Up"), upBefore);
        const qsizetype upAlready = m_nm.activeConnections().size();
        if (refuse)
            m_nm.refuseActivations();
        AiosmtpdServer server;
        if (!server.start())
            QFAIL(qPrintable(server.error()));
        // A server that is gone refuses the connection.
        writeStore(serverUp ? server.port() : 1);
        compose({QStringLiteral("3")});
        const int before = m_nm.activations();

        const CliRun run = runCli({QStringLiteral("send"), QStringLiteral("--timeout"),
                                   QStringLiteral("5"), QStringLiteral("--dial"), entry},
                                  m_home.path(), {}, {}, env);
        QVERIFY2(run.status == status, run.err.constData());
        QVERIFY2(run.out.contains(lines), run.out.constData());
        QVERIFY2(run.err.contains(error), run.err.constData());
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), status == 0 ? 0 : 1);
        QCOMPARE(server.mails().size(), status == 0 ? 1 : 0);
        const bool dialled = upBefore.isEmpty() || upBefore == QLatin1String("802-3-ethernet");
        QCOMPARE(m_nm.activations(),
                 before + (dialled && entry == QLatin1String("Provider") ? 1 : 0));
        // Only what this run brought up is gone; the stand-in keeps nothing
        // it was told to take down.
        QCOMPARE(m_nm.activeConnections().size(), upAlready);
        if (status == 0)
            QVERIFY(run.out.endsWith("  送信を完了しました\n"));
    }

    // Ctrl-C, or TERM from a cron job's timeout.
    void interruptWhileDiallingHangsUp_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("INT") << SIGINT;
        QTest::newRow("TERM") << SIGTERM;
    }

    void interruptWhileDiallingHangsUp()
    {
        QFETCH(int, signal);
        QProcessEnvironment env;
        if (!networkManager(env))
            QSKIP(qPrintable(QStringLiteral("no NetworkManager stand-in: ") + m_nm.error()));
        m_nm.holdActivations();
        writeStore(1);
        compose({QStringLiteral("3")});
        QProcess &cli = *startCli(
            {QStringLiteral("send"), QStringLiteral("--dial"), QStringLiteral("Provider")},
            m_home.path(), this, env);
        QVERIFY(cli.waitForStarted(10000));
        QByteArray shown;
        QTRY_VERIFY_WITH_TIMEOUT(
            (shown += cli.readAllStandardOutput()).contains("通信ポートを初期化中\n"), 10000);
        QCOMPARE(m_nm.activeConnections().size(), 1);
        ::kill(pid_t(cli.processId()), signal);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 128 + signal);
        QVERIFY(m_nm.activeConnections().isEmpty());
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 1);
    }

    void usageErrors()
    {
        // 3000000 seconds would overflow the deadlines' milliseconds.
        for (const QStringList &args :
             {QStringList{QStringLiteral("--timeout")}, QStringList{QStringLiteral("now")},
              QStringList{QStringLiteral("--timeout"), QStringLiteral("3000000")},
              QStringList{QStringLiteral("--dial")},
              QStringList{QStringLiteral("--dial"), QString()}})
            QCOMPARE(runCli(QStringList{QStringLiteral("send")} + args, m_home.path()).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliSend)
#include "tst_cli_send.moc"
