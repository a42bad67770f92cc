// SmtpWorker: one delivery per worker thread, reaching this thread only
// through blocking calls; start from the result handler; cancel; shutdown.
#include "ScriptedSmtpServer.h"

#include "send/SmtpWorker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

const QByteArray kMail = "To: list@example.org\r\nFrom: owner@example.org\r\n"
                         "X-Tavelin-ML: mylist\r\n\r\nend\r\n";

struct Status
{
    quint32 message;
    QString line;
    int fromWorker;
};

struct Result
{
    quint32 message = 0;
    bool delivered = false;
    QString error;
    QByteArray listTitle;
};

} // namespace

class TestSmtpWorker : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QObject m_statusWindow;
    QObject m_resultWindow;
    QList<Status> m_status;
    QList<Result> m_results;
    bool m_offThread = false; // a call ran on another thread

    QString writeMail()
    {
        const QString path = m_dir.filePath(QStringLiteral("tvl1.TMP"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(kMail) != kMail.size())
            return {};
        return path;
    }

    void prepare(SendJob &job, quint16 port, int deadlineMs = 5000)
    {
        job.statusWindow = &m_statusWindow;
        job.onStatus = [this](quint32 message, const QString &line, int fromWorker) {
            m_offThread |= QThread::currentThread() != thread();
            m_status.append({message, line, fromWorker});
        };
        job.resultWindow = &m_resultWindow;
        job.onResult = [this](quint32 message, SendJob &done, bool delivered) {
            m_offThread |= QThread::currentThread() != thread();
            m_results.append({message, delivered, done.errorText, done.listTitle});
        };
        job.server = "127.0.0.1";
        job.port = port;
        job.mailFile = writeMail();
        job.deadlines = SmtpDeadlines::uniform(deadlineMs);
    }

private Q_SLOTS:
    void init()
    {
        m_status.clear();
        m_results.clear();
        m_offThread = false;
    }

    void reportsThroughBlockingCallsOnThisThread()
    {
        ScriptedSmtpServer server;
        server.upToContent().acceptAndQuit();
        QVERIFY(server.start());
        SendJob job;
        prepare(job, server.port());
        QByteArray sentDuringReport = "unset";
        job.onStatus = [&](quint32 message, const QString &line, int fromWorker) {
            m_status.append({message, line, fromWorker});
            // The worker waits while a line is shown: nothing goes out meanwhile.
            if (m_status.size() == 2) {
                QThread::msleep(200);
                sentDuringReport = server.received();
            }
        };
        SmtpWorker worker;
        QVERIFY(worker.start(job));
        QVERIFY(worker.isRunning());
        QVERIFY(m_results.isEmpty()); // start returned before any result
        QTRY_COMPARE_WITH_TIMEOUT(m_results.size(), 1, 10000);
        QVERIFY(!worker.isRunning());
        QCOMPARE(m_results[0].message, SendMsg::DeliveryResult);
        QVERIFY2(m_results[0].delivered, qPrintable(m_results[0].error));
        QCOMPARE(m_results[0].listTitle, QByteArray("mylist"));
        QCOMPARE(job.listTitle, QByteArray("mylist"));
        QCOMPARE(m_status.size(), 2);
        QCOMPARE(m_status[0].message, SendMsg::SetStatusLine2);
        QCOMPARE(m_status[0].line, QStringLiteral("ホストに接続中"));
        QCOMPARE(m_status[1].line, QStringLiteral("ホストへの接続完了"));
        QCOMPARE(m_status[1].fromWorker, 1);
        QCOMPARE(sentDuringReport, QByteArray());
        QVERIFY(!m_offThread);
        QVERIFY(worker.wait(5000));
    }

    void nextDeliveryStartsFromTheResultHandler()
    {
        ScriptedSmtpServer first;
        ScriptedSmtpServer second;
        first.upToContent().acceptAndQuit();
        second.upToContent().acceptAndQuit();
        QVERIFY(first.start());
        QVERIFY(second.start());
        SendJob job;
        prepare(job, first.port());
        SmtpWorker worker;
        bool startedAgain = false;
        bool refusedWhileRunning = true;
        job.onResult = [&](quint32, SendJob &done, bool delivered) {
            m_results.append({0, delivered, done.errorText, done.listTitle});
            if (m_results.size() == 1) {
                done.port = second.port();
                startedAgain = worker.start(done);
                refusedWhileRunning = !worker.start(done);
            }
        };
        QVERIFY(worker.start(job));
        QVERIFY(!worker.start(job)); // one delivery at a time
        QTRY_COMPARE_WITH_TIMEOUT(m_results.size(), 2, 10000);
        QVERIFY(startedAgain);
        QVERIFY(refusedWhileRunning);
        QVERIFY(m_results[0].delivered && m_results[1].delivered);
        QVERIFY(first.finish() && second.finish());
        QVERIFY(second.received().endsWith(".\r\nQUIT\r\n"));
        QVERIFY(worker.wait(5000));
    }

    void cancelEndsTheDeliveryAtOnce()
    {
        ScriptedSmtpServer server;
        server.send("220 x\r\n").readLine().silence();
        QVERIFY(server.start());
        SendJob job;
        prepare(job, server.port(), 60000);
        SmtpWorker worker;
        QVERIFY(worker.start(job));
        QTRY_COMPARE_WITH_TIMEOUT(m_status.size(), 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!server.received().isEmpty(), 10000); // HELO is out
        QElapsedTimer clock;
        clock.start();
        worker.cancel();
        QTRY_COMPARE_WITH_TIMEOUT(m_results.size(), 1, 10000);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(m_results[0].error, QStringLiteral("応答受信(HELO)に失敗しました"));
        QVERIFY(worker.wait(5000));
    }

    void destroyingTheWorkerEndsARunningDelivery()
    {
        ScriptedSmtpServer server;
        server.send("220 x\r\n").readLine().silence();
        QVERIFY(server.start());
        SendJob job;
        prepare(job, server.port(), 60000);
        QElapsedTimer clock;
        clock.start();
        {
            SmtpWorker worker;
            QVERIFY(worker.start(job));
            QTRY_VERIFY_WITH_TIMEOUT(!server.received().isEmpty(), 10000);
        }
        QVERIFY(clock.elapsed() < 10000);
        // Gone before it reported: the result never arrives.
        QCoreApplication::processEvents();
        QVERIFY(m_results.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSmtpWorker)
#include "tst_smtp_worker.moc"
