// Deliveries to a real SMTP server (Debian's aiosmtpd on 127.0.0.1): each
// mail arrives byte for byte as queued, with its envelope.
#include "AiosmtpdServer.h"

#include "send/SmtpWorker.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

class TestSmtpAiosmtpd : public QObject
{
    Q_OBJECT

private:
    AiosmtpdServer m_server;
    QTemporaryDir m_dir;

    // Delivers `mail` through a worker; returns the error text ("" when delivered).
    QString deliver(const QByteArray &mail)
    {
        const QString path = m_dir.filePath(QStringLiteral("tvlA.TMP"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(mail) != mail.size())
            return QStringLiteral("cannot write the mail");
        file.close();
        QObject window;
        SendJob job;
        job.resultWindow = &window;
        std::optional<bool> delivered;
        job.onResult = [&](quint32, SendJob &, bool ok) { delivered = ok; };
        job.server = "127.0.0.1";
        job.port = m_server.port();
        job.mailFile = path;
        job.deadlines = SmtpDeadlines::uniform(20000);
        SmtpWorker worker;
        if (!worker.start(job))
            return QStringLiteral("not started");
        if (!QTest::qWaitFor([&] { return delivered.has_value(); }, 30000))
            return QStringLiteral("no result");
        return *delivered ? QString() : job.errorText;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_server.start())
            QFAIL(qPrintable(QStringLiteral("no real SMTP server: ") + m_server.error()));
    }

    void mailsArriveByteForByte()
    {
        // A command mail with dot lines and Shift-JIS bytes, and a large one
        // that goes out in several writes.
        const QByteArray command = "To: majordomo@example.org\r\n"
                                   "From: owner@example.org\r\n"
                                   "Subject: \x83\x65\x83\x58\x83\x67\r\n"
                                   "X-Tavelin-ML: mylist\r\n"
                                   "\r\n"
                                   "approve pw unsubscribe mylist a@example.org\r\n"
                                   ".\r\n"
                                   "..two\r\n"
                                   "\x93\xfa\x96\x7b\x8c\xea\r\n"
                                   "end\r\n";
        QByteArray large = "To: big@example.org\r\nFrom: owner@example.org\r\n\r\n";
        for (int i = 0; i < 5000; ++i)
            large += (i % 7 == 0 ? "." : "") + QByteArray::number(i) + QByteArray(60, 'z') + "\r\n";

        QCOMPARE(deliver(command), QString());
        QCOMPARE(deliver(large), QString());
        const QList<AiosmtpdServer::Mail> mails = m_server.mails();
        QCOMPARE(mails.size(), 2);
        QCOMPARE(mails[0].mailFrom, QByteArray("owner@example.org"));
        QCOMPARE(mails[0].rcptTo, QByteArrayList{"majordomo@example.org"});
        QCOMPARE(mails[0].content, command);
        QCOMPARE(mails[1].rcptTo, QByteArrayList{"big@example.org"});
        QCOMPARE(mails[1].content.size(), large.size());
        QVERIFY(mails[1].content == large);
    }
};

QTEST_GUILESS_MAIN(TestSmtpAiosmtpd)
#include "tst_smtp_aiosmtpd.moc"
