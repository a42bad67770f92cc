// The SMTP client against scripted server conversations on loopback: the
// exact bytes it sends, how it reads replies, its failure texts, deadlines.
#include "ScriptedSmtpServer.h"

#include "send/SmtpContentEncoder.h"
#include "send/SmtpReplyReader.h"
#include "send/SmtpSocket.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QHostInfo>
#include <QSemaphore>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kMail = "To: list@example.org\r\n"
                         "From: owner@example.org\r\n"
                         "Subject: command\r\n"
                         "X-Tavelin-ML: mylist\r\n"
                         "\r\n"
                         "approve secret who mylist\r\n"
                         ".\r\n"
                         ".hidden\r\n"
                         "end\r\n";

QByteArray heloLine()
{
    return "HELO " + QHostInfo::localHostName().toLocal8Bit() + "\r\n";
}

// What the client sends for kMail up to and including DATA.
QByteArray envelopeCommands()
{
    return heloLine() + "MAIL FROM:<owner@example.org>\r\nRCPT TO:<list@example.org>\r\nDATA\r\n";
}

struct Outcome
{
    bool delivered = false;
    QString error;
    QByteArray listTitle;
    QStringList progress;
};

// The command-failure text: the command without its CR LF, the codes, and
// what the server said.
QString commandFailure(const QByteArray &command, const char *required, const char *received,
                       const QString &said = {})
{
    return QStringLiteral("コマンド実行に失敗しました\nコマンド:") + QString::fromLatin1(command) +
           QStringLiteral("\n要求コード :") + QLatin1String(required) +
           QStringLiteral("\n応答コード :") + QLatin1String(received) +
           (said.isEmpty() ? QString() : u'\n' + said);
}

} // namespace

class TestSmtp : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString writeMail(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("tvl%1.TMP").arg(++m_files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return {};
        return path;
    }

    static Outcome deliver(quint16 port, const QString &file, int deadlineMs = 3000)
    {
        Outcome outcome;
        CSmtpSocket socket;
        socket.deadlines = SmtpDeadlines::uniform(deadlineMs);
        socket.report = [&](const QString &line) { outcome.progress << line; };
        outcome.delivered = socket.Deliver("127.0.0.1", port, file);
        outcome.error = socket.errorText();
        outcome.listTitle = socket.listTitle();
        return outcome;
    }

    Outcome deliver(ScriptedSmtpServer &server, const QByteArray &mail = kMail,
                    int deadlineMs = 3000)
    {
        if (!server.start())
            return {};
        return deliver(server.port(), writeMail(mail), deadlineMs);
    }

private Q_SLOTS:
    void sendsTheWholeExchangeExactly()
    {
        ScriptedSmtpServer server;
        server.upToContent().acceptAndQuit();
        const Outcome outcome = deliver(server);
        QVERIFY2(outcome.delivered, qPrintable(outcome.error));
        QCOMPARE(outcome.error, QString());
        QCOMPARE(outcome.listTitle, QByteArray("mylist"));
        QCOMPARE(outcome.progress, QStringList({QStringLiteral("ホストに接続中"),
                                                QStringLiteral("ホストへの接続完了")}));
        QVERIFY(server.finish());
        // HELO names this machine, never the server; no space after the
        // colons; a line "." goes out as ".." and ".hidden" as "..hidden".
        QCOMPARE(server.received(), envelopeCommands() +
                                        "To: list@example.org\r\nFrom: owner@example.org\r\n"
                                        "Subject: command\r\nX-Tavelin-ML: mylist\r\n\r\n"
                                        "approve secret who mylist\r\n..\r\n..hidden\r\nend\r\n"
                                        ".\r\nQUIT\r\n");
    }

    void takesTheEnvelopeFromTheHeaderBlockOnly()
    {
        // Two addresses in one "To: " line make one RCPT TO; once all three
        // values are seen the scan stops, so the second "To: " is content only.
        ScriptedSmtpServer server;
        server.upToContent().acceptAndQuit();
        // A header line longer than any address is passed over (and sent).
        const QByteArray received = "Received: " + QByteArray(100000, 'r') + "\r\n";
        const QByteArray mail = received +
                                "From: me@example.org\r\nTo: a@example.org, b@example.org\r\n"
                                "X-Tavelin-ML: t\r\nTo: late@example.org\r\n\r\nbody\r\n";
        const Outcome outcome = deliver(server, mail);
        QVERIFY2(outcome.delivered, qPrintable(outcome.error));
        QVERIFY(server.finish());
        QVERIFY(server.received().contains("RCPT TO:<a@example.org, b@example.org>\r\nDATA"));
        QVERIFY(server.received().contains("\r\nTo: late@example.org\r\n"));
        QVERIFY(server.received().contains("DATA\r\n" + received + "From: "));
    }

    void listTitleAfterTheHeaderIsNotSeen()
    {
        ScriptedSmtpServer server;
        server.upToContent().acceptAndQuit();
        const Outcome outcome =
            deliver(server, "To: l@x.org\nFrom: o@x.org\n\nX-Tavelin-ML: body\n");
        QVERIFY2(outcome.delivered, qPrintable(outcome.error));
        QCOMPARE(outcome.listTitle, QByteArray());
        QVERIFY(server.finish());
        // LF-only lines go out with CR LF.
        QVERIFY(server.received().endsWith("\r\nX-Tavelin-ML: body\r\n.\r\nQUIT\r\n"));
    }

    void refusesUnusableEnvelopesWithoutConnecting_data()
    {
        QTest::addColumn<QByteArray>("mail");
        QTest::newRow("to in other case") << QByteArray("to: l@x.org\r\nFrom: o@x.org\r\n");
        QTest::newRow("to without space") << QByteArray("To:l@x.org\r\nFrom: o@x.org\r\n");
        QTest::newRow("no from") << QByteArray("To: l@x.org\r\n\r\nFrom: o@x.org\r\n");
        QTest::newRow("CR inside to")
            << QByteArray("To: l@x.org\rRCPT TO:<e@x.org>\r\nFrom: o@x.org\r\n");
        QTest::newRow("NUL inside from")
            << QByteArray("To: l@x.org\r\nFrom: o@x") + '\0' + QByteArray(".org\r\n");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("overlong to")
            << QByteArray("To: " + QByteArray(70000, 'a') + "\r\nFrom: o@x.org\r\n");
    }

    void refusesUnusableEnvelopesWithoutConnecting()
    {
        QFETCH(QByteArray, mail);
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
        const Outcome outcome = deliver(listener.serverPort(), writeMail(mail));
        QVERIFY(!outcome.delivered);
        QCOMPARE(outcome.error, QStringLiteral("宛先か自分のアドレスを取得できませんでした"));
        QVERIFY(outcome.progress.isEmpty());
        QVERIFY(!listener.waitForNewConnection(50));
    }

    void missingFileCannotBeOpened()
    {
        const QString path = m_dir.filePath(QStringLiteral("gone.TMP"));
        const Outcome outcome = deliver(1, path);
        QCOMPARE(outcome.error, QStringLiteral("ファイル(%1)を開けません").arg(path));
    }

    void fileGoneBeforeTheContentEndsWithoutEndOfData()
    {
        ScriptedSmtpServer server;
        QString path = writeMail(kMail);
        server.send("220 x\r\n").readLine().send("250 x\r\n").readLine().send("250 x\r\n");
        server.readLine().send("250 x\r\n").readLine().then([&path] { QFile::remove(path); });
        server.send("354 go\r\n");
        QVERIFY(server.start());
        const Outcome outcome = deliver(server.port(), path);
        QVERIFY(!outcome.delivered);
        QCOMPARE(outcome.error, QStringLiteral("ファイル(%1)を開けません").arg(path));
        QVERIFY(server.finish());
        QVERIFY(server.received().endsWith("DATA\r\n"));
    }

    void refusalsGiveTheCommandFailureText_data()
    {
        QTest::addColumn<int>("step"); // replies before the refusal
        QTest::addColumn<QByteArray>("refusal");
        QTest::addColumn<QString>("error");
        const QByteArray helo = heloLine().chopped(2);
        QTest::newRow("greeting 554")
            << 0 << QByteArray("554 busy\r\n")
            << QStringLiteral(
                   "ホストへの接続に失敗しました\n要求コード : 220\n応答コード : 554\nbusy");
        QTest::newRow("HELO 501") << 1 << QByteArray("501 bad\r\n")
                                  << commandFailure(helo, " 250", " 501", QStringLiteral("bad"));
        QTest::newRow("MAIL FROM 550")
            << 2 << QByteArray("550 5.7.1 no relaying\r\n")
            << commandFailure("MAIL FROM:<owner@example.org>", " 250", " 550",
                              QStringLiteral("5.7.1 no relaying"));
        QTest::newRow("RCPT TO 450") << 3 << QByteArray("450 later\r\n")
                                     << commandFailure("RCPT TO:<list@example.org>", " 250", " 450",
                                                       QStringLiteral("later"));
        QTest::newRow("DATA 452") << 4 << QByteArray("452 full\r\n")
                                  << commandFailure("DATA", " 354", " 452", QStringLiteral("full"));
        QTest::newRow("DATA 250") << 4 << QByteArray("250\r\n")
                                  << commandFailure("DATA", " 354", " 250");
        QTest::newRow("no code") << 2 << QByteArray("hello\r\n")
                                 << commandFailure("MAIL FROM:<owner@example.org>", " 250", "   0",
                                                   QStringLiteral("hello"));
        // A long multi-line reply with control bytes: one line, 200
        // characters at most, nothing the server could shape the text with.
        const QByteArray longText = QByteArray(300, 'y');
        QTest::newRow("long multi-line reply")
            << 2 << QByteArray("550-first\tline\r\n550 \x1b[2J" + longText + "\r\n")
            << commandFailure("MAIL FROM:<owner@example.org>", " 250", " 550",
                              QStringLiteral("first line [2J") + QString(200 - 14, u'y'));
    }

    void refusalsGiveTheCommandFailureText()
    {
        QFETCH(int, step);
        QFETCH(QByteArray, refusal);
        QFETCH(QString, error);
        const QByteArrayList accepting = {"220 x\r\n", "250 hi\r\n", "250 ok\r\n", "250 ok\r\n"};
        ScriptedSmtpServer server;
        for (int i = 0; i < step; ++i) {
            if (i > 0)
                server.readLine();
            server.send(accepting.at(i));
        }
        if (step > 0)
            server.readLine();
        server.send(refusal).readLine().send("221 bye\r\n");
        const Outcome outcome = deliver(server);
        QVERIFY(!outcome.delivered);
        QCOMPARE(outcome.error, error);
        QVERIFY(server.finish());
        // RFC 5321 4.1.1.10: QUIT follows a refusal, and nothing else does.
        QCOMPARE(server.received().count('\n'), step + 1);
        QVERIFY(server.received().endsWith("\r\nQUIT\r\n") || server.received() == "QUIT\r\n");
    }

    void tlsAndLoginFailuresEndTheDelivery_data()
    {
        QTest::addColumn<QByteArrayList>("replies"); // to EHLO and each command after it
        QTest::addColumn<QByteArray>("then");        // sent after the last reply
        QTest::addColumn<QString>("error");          // how the error text starts
        QTest::addColumn<QByteArrayList>("sent");    // the client's commands
        const QByteArray offers = "250-test\r\n250-AUTH PLAIN\r\n250 STARTTLS\r\n";
        const QString noTls = QStringLiteral("TLS通信を開始できませんでした");
        QTest::newRow("handshake cut")
            << QByteArrayList{offers, "220 go\r\n"} << QByteArray("close") << noTls + u'\n'
            << QByteArrayList{"EHLO", "STARTTLS"};
        QTest::newRow("garbage instead of TLS")
            << QByteArrayList{offers, "220 go\r\n"} << QByteArray("garbage, not TLS\r\n")
            << noTls + u'\n' << QByteArrayList{"EHLO", "STARTTLS"};
        // RFC 3207 5: bytes before the handshake are an attacker's, not the server's.
        QTest::newRow("plain text after the 220")
            << QByteArrayList{offers, "220 go\r\n250 injected\r\n"} << QByteArray() << noTls
            << QByteArrayList{"EHLO", "STARTTLS"};
        QTest::newRow("no reply during the handshake")
            << QByteArrayList{offers, "220 go\r\n"} << QByteArray("silence")
            << QStringLiteral("応答受信(TLS)に失敗しました") << QByteArrayList{"EHLO", "STARTTLS"};
        QTest::newRow("454 to STARTTLS")
            << QByteArrayList{offers, "454 4.7.0 TLS not available\r\n", "221 bye\r\n"}
            << QByteArray()
            << noTls + QStringLiteral("\nコマンド:STARTTLS\n要求コード : 220\n応答コード : 454\n"
                                      "4.7.0 TLS not available")
            << QByteArrayList{"EHLO", "STARTTLS", "QUIT"};
        QTest::newRow("5xx to EHLO")
            << QByteArrayList{"502 unknown\r\n", "250 hi\r\n", "221 bye\r\n"} << QByteArray()
            << QStringLiteral("サーバーが拡張SMTP(EHLO)に対応していないため、ログインできません\n"
                              "応答コード : 502\nunknown")
            << QByteArrayList{"EHLO", "HELO", "QUIT"};
    }

    void tlsAndLoginFailuresEndTheDelivery()
    {
        // A user name asks for STARTTLS and a login; none of these servers
        // gets as far as seeing either.
        QFETCH(QByteArrayList, replies);
        QFETCH(QByteArray, then);
        QFETCH(QString, error);
        QFETCH(QByteArrayList, sent);
        ScriptedSmtpServer server;
        server.send("220 x\r\n");
        for (const QByteArray &reply : std::as_const(replies))
            server.readLine().send(reply);
        // "close" and the garbage come once the client is in its handshake.
        if (then == "silence")
            server.silence();
        else if (then == "close")
            server.then([] { QThread::msleep(200); }).close();
        else if (!then.isEmpty())
            server.then([] { QThread::msleep(200); }).send(then).silence();
        QVERIFY(server.start());
        QElapsedTimer clock;
        clock.start();
        {
            CSmtpSocket socket;
            socket.deadlines = SmtpDeadlines::uniform(2000);
            socket.userName = "owner";
            socket.password = "secret";
            QVERIFY(!socket.Deliver("127.0.0.1", server.port(), writeMail(kMail)));
            QVERIFY2(socket.errorText().startsWith(error), qPrintable(socket.errorText()));
        }
        QVERIFY(clock.elapsed() < 8000);
        QVERIFY(server.finish());
        // The client's commands, without the binary ClientHello after STARTTLS.
        QByteArray plain = server.received();
        if (const qsizetype hello = plain.indexOf("STARTTLS\r\n\x16"); hello >= 0)
            plain.truncate(hello + 10);
        QByteArrayList verbs;
        for (const QByteArray &line : plain.split('\n'))
            if (!line.isEmpty())
                verbs << line.split(' ').first().trimmed();
        QCOMPARE(verbs, sent);
    }

    void refusedMailAfterEndOfDataStaysAFailure()
    {
        ScriptedSmtpServer server;
        // A server may close right after its last reply; the reply still counts.
        server.upToContent().readData().send("554 rejected\r\n").close();
        const Outcome outcome = deliver(server);
        QVERIFY(!outcome.delivered);
        QCOMPARE(outcome.error, commandFailure(".", " 250", " 554", QStringLiteral("rejected")));
    }

    void anyPositiveCompletionIsSuccess()
    {
        // 251 "will forward" to RCPT TO; any 2xx greeting is a welcome.
        ScriptedSmtpServer server;
        server.send("250 welcome\r\n").readLine().send("250 hi\r\n").readLine().send("250 ok\r\n");
        server.readLine().send("251 will forward\r\n").readLine().send("354 go\r\n");
        server.readData().send("252 fine\r\n").readLine().send("221 bye\r\n");
        const Outcome outcome = deliver(server);
        QVERIFY2(outcome.delivered, qPrintable(outcome.error));
        QVERIFY(server.finish());
        QVERIFY(server.received().startsWith(heloLine()));
    }

    void readsRepliesInAnyShape_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("pieceSize");
        QTest::newRow("multi-line, one piece") << QByteArray("250-first\r\n250 last\r\n") << 0;
        QTest::newRow("multi-line, byte by byte")
            << QByteArray("250-first\r\n250-second\r\n250 last\r\n") << 1;
        QTest::newRow("bare code") << QByteArray("250\r\n") << 0;
        QTest::newRow("bare code, byte by byte") << QByteArray("250\r\n") << 1;
        QTest::newRow("LF only") << QByteArray("250-a\n250 b\n") << 0;
        QTest::newRow("70000-byte line")
            << QByteArray("250-" + QByteArray(70000, 'x') + "\r\n250 ok\r\n") << 4096;
    }

    void readsRepliesInAnyShape()
    {
        // Every reply of the conversation in the same shape; a client that
        // loses sync would read a 354 where it expects a 250.
        QFETCH(QByteArray, reply);
        QFETCH(int, pieceSize);
        QByteArray data = reply;
        data.replace("250", "354");
        ScriptedSmtpServer server;
        server.send(reply, pieceSize);
        for (int i = 0; i < 3; ++i)
            server.readLine().send(reply, pieceSize);
        server.readLine().send(data, pieceSize).readData().send(reply, pieceSize);
        server.readLine().send(reply, pieceSize);
        const Outcome outcome = deliver(server);
        QVERIFY2(outcome.delivered, qPrintable(outcome.error));
        QVERIFY(server.finish());
        QVERIFY(server.received().endsWith(".\r\nQUIT\r\n"));
    }

    void endlessReplyLineFailsAtTheCap()
    {
        ScriptedSmtpServer server;
        server.send("220 x\r\n").readLine().flood("250-", 'x');
        QElapsedTimer clock;
        clock.start();
        const Outcome outcome = deliver(server, kMail, 60000);
        QCOMPARE(outcome.error, QStringLiteral("応答受信(HELO)に失敗しました"));
        // It stopped at the cap, not at the deadline.
        QVERIFY(clock.elapsed() < 30000);
        QVERIFY(server.flooded() >= SmtpReplyReader::DefaultCap);
    }

    void noReplyMeetsTheStepsDeadline_data()
    {
        QTest::addColumn<int>("step"); // replies before the silence
        QTest::addColumn<QString>("error");
        QTest::newRow("greeting") << 0 << QStringLiteral("ホストへの接続(応答受信)に失敗しました");
        QTest::newRow("HELO") << 1 << QStringLiteral("応答受信(HELO)に失敗しました");
        QTest::newRow("MAIL FROM") << 2 << QStringLiteral("応答受信(MAIL FROM)に失敗しました");
        QTest::newRow("RCPT TO") << 3 << QStringLiteral("応答受信(RCPT TO)に失敗しました");
        QTest::newRow("DATA") << 4 << QStringLiteral("応答受信(DATA)に失敗しました");
        QTest::newRow("end of data") << 5 << QStringLiteral("応答受信(データ送信)に失敗しました");
    }

    void noReplyMeetsTheStepsDeadline()
    {
        QFETCH(int, step);
        QFETCH(QString, error);
        const QByteArrayList replies = {"220 x\r\n", "250 x\r\n", "250 x\r\n", "250 x\r\n",
                                        "354 x\r\n"};
        ScriptedSmtpServer server;
        for (int i = 0; i < step; ++i) {
            if (i > 0)
                server.readLine();
            server.send(replies.at(i));
        }
        if (step == 5)
            server.readData();
        server.silence();
        const Outcome outcome = deliver(server, kMail, 300);
        QVERIFY(!outcome.delivered);
        QCOMPARE(outcome.error, error);
    }

    void serverNotReadingTheContentMeetsTheWriteDeadline()
    {
        // More content than the socket buffers hold, and a server that
        // stops reading after its 354.
        ScriptedSmtpServer server;
        server.upToContent().stall();
        QByteArray mail = kMail;
        const QByteArray line = QByteArray(998, 'c') + "\r\n";
        while (mail.size() < 32 * 1024 * 1024)
            mail += line;
        const Outcome outcome = deliver(server, mail, 300);
        QVERIFY(!outcome.delivered);
        QCOMPARE(outcome.error, QStringLiteral("データ送信に失敗しました"));
    }

    void noReplyToQuitStillDelivers()
    {
        // The server took the mail; queuing it again would send it twice.
        ScriptedSmtpServer server;
        server.upToContent().readData().send("250 queued\r\n").silence();
        const Outcome outcome = deliver(server, kMail, 300);
        QVERIFY2(outcome.delivered, qPrintable(outcome.error));
        QCOMPARE(outcome.error, QString());
    }

    void drippingServerStillMeetsTheDeadline()
    {
        // Continuation lines a byte every 20 ms never end the reply; the
        // deadline counts from the command, not from the last byte.
        ScriptedSmtpServer server;
        server.send("220 x\r\n").readLine().drip("250-still busy\r\n", 20);
        QElapsedTimer clock;
        clock.start();
        const Outcome outcome = deliver(server, kMail, 400);
        QCOMPARE(outcome.error, QStringLiteral("応答受信(HELO)に失敗しました"));
        QVERIFY(clock.elapsed() < 5000);
    }

    void closedConnectionsAreReplyFailures()
    {
        {
            ScriptedSmtpServer server;
            server.close();
            QCOMPARE(deliver(server).error,
                     QStringLiteral("ホストへの接続(応答受信)に失敗しました"));
        }
        {
            ScriptedSmtpServer server;
            server.send("220 x\r\n").readLine().send("250-half\r\n25").close();
            QCOMPARE(deliver(server).error, QStringLiteral("応答受信(HELO)に失敗しました"));
        }
    }

    void brokenConnectionIsASendFailure()
    {
        // The server resets the connection while the client shows its
        // progress; the HELO write then fails, before any reply is awaited.
        QSemaphore greeted;
        ScriptedSmtpServer server;
        server.send("220 x\r\n").then([&greeted] { greeted.tryAcquire(1, 10000); }).reset();
        QVERIFY(server.start());
        CSmtpSocket socket;
        socket.deadlines = SmtpDeadlines::uniform(3000);
        socket.report = [&](const QString &line) {
            if (line == QStringLiteral("ホストへの接続完了")) {
                greeted.release();
                server.finish();
            }
        };
        QVERIFY(!socket.Deliver("127.0.0.1", server.port(), writeMail(kMail)));
        QCOMPARE(socket.errorText(), QStringLiteral("コマンド送信(HELO)に失敗しました"));
    }

    void unreachableServerIsAConnectionFailure()
    {
        quint16 port = 0;
        {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
            port = closed.serverPort();
        }
        const Outcome outcome = deliver(port, writeMail(kMail));
        QCOMPARE(outcome.error, QStringLiteral("ホストへの接続に失敗しました"));
        QCOMPARE(outcome.progress, QStringList{QStringLiteral("ホストに接続中")});
    }

    void hostNamesAreResolved()
    {
        ScriptedSmtpServer server;
        server.upToContent().acceptAndQuit();
        QVERIFY(server.start());
        CSmtpSocket socket;
        socket.deadlines = SmtpDeadlines::uniform(5000);
        QVERIFY2(socket.Deliver("localhost", server.port(), writeMail(kMail)),
                 qPrintable(socket.errorText()));
    }

    void replyReaderSplitsAnywhere()
    {
        // Two replies back to back, cut at every position: the first is read
        // whole with its code, and the second is kept for the next read.
        const QByteArray bytes = "250-one\r\n250-two\n250 three\r\n354\r\n";
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            SmtpReplyReader reader;
            reader.feed(bytes.left(cut));
            reader.state();
            reader.feed(bytes.mid(cut));
            QCOMPARE(reader.state(), SmtpReplyReader::State::Complete);
            QCOMPARE(reader.code(), 250);
            QCOMPARE(reader.finalLine(), QByteArray("250 three"));
            reader.next();
            QCOMPARE(reader.state(), SmtpReplyReader::State::Complete);
            QCOMPARE(reader.code(), 354);
            reader.next();
            QCOMPARE(reader.state(), SmtpReplyReader::State::Incomplete);
        }
    }

    void replyReaderCapsTheWholeReply()
    {
        SmtpReplyReader reader(100);
        for (int i = 0; i < 9; ++i)
            reader.feed("250-0123456789\r\n");
        QCOMPARE(reader.state(), SmtpReplyReader::State::TooLong);
        SmtpReplyReader lineReader(100);
        lineReader.feed(QByteArray(101, '2'));
        QCOMPARE(lineReader.state(), SmtpReplyReader::State::TooLong);
    }

    void contentEncoding_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("LF lines, last unended") << QByteArray("a\nb") << QByteArray("a\r\nb\r\n");
        QTest::newRow("empty lines") << QByteArray("\r\n\n") << QByteArray("\r\n\r\n");
        QTest::newRow("dots") << QByteArray(".\r\n.a\nb.\r\n..\n")
                              << QByteArray("..\r\n..a\r\nb.\r\n...\r\n");
        QTest::newRow("trailing CRs") << QByteArray("a\r\r\r\nb\r") << QByteArray("a\r\nb\r\n");
        QTest::newRow("bare CR before a dot")
            << QByteArray("a\r.\r\nb") << QByteArray("a\r\n..\r\nb\r\n");
        QTest::newRow("8-bit bytes")
            << QByteArray("\x82\xa0\x83\x41\r\n") << QByteArray("\x82\xa0\x83\x41\r\n");
        QTest::newRow("nothing") << QByteArray() << QByteArray();
    }

    void contentEncoding()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, wire);
        // Whole, and a byte at a time into output taken a byte at a time.
        for (qsizetype size : {qsizetype(1), LineStream::DefaultBufferSize}) {
            QBuffer device(&file);
            device.open(QIODevice::ReadOnly);
            SmtpContentEncoder encoder(device, size);
            QByteArray out;
            for (int calls = 0; encoder.encode(out, out.size() + size); ++calls)
                QVERIFY(calls <= wire.size());
            QCOMPARE(out, wire);
            QVERIFY(encoder.errorString().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
