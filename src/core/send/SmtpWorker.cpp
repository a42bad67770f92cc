#include "send/SmtpWorker.h"

#include "send/SmtpSocket.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <openssl/crypto.h>

#include <atomic>

// What the owner and one worker thread share for one delivery.
struct SmtpRun
{
    std::unique_ptr<QThread> thread;   // lives for this one delivery
    std::atomic<bool> finished{false}; // the worker has returned
    std::atomic<bool> cancel{false};
    std::atomic<bool> reported{false};

    QMutex mutex;
    QWaitCondition changed;
    bool abandoned = false; // the owner is gone: no more calls

    bool isAbandoned()
    {
        QMutexLocker lock(&mutex);
        return abandoned;
    }
};

namespace {

// One blocking call from the worker to the owner's thread.
struct PendingCall
{
    explicit PendingCall(std::shared_ptr<SmtpRun> run) : run(std::move(run)) {}
    std::shared_ptr<SmtpRun> run;
    bool finished = false; // guarded by run->mutex
};

// Marks the call finished when the queued call is destroyed: after it ran,
// or when it was dropped unrun, so the worker never waits for nothing.
struct CallGuard
{
    explicit CallGuard(std::shared_ptr<PendingCall> call) : call(std::move(call)) {}
    ~CallGuard()
    {
        QMutexLocker lock(&call->run->mutex);
        call->finished = true;
        call->run->changed.wakeAll();
    }
    std::shared_ptr<PendingCall> call;
};

// Runs `fn` in `relay`'s thread and waits until it has returned, like a sent
// window message. Gives up waiting once the owner abandons the run.
void callOwner(const std::shared_ptr<SmtpRun> &run, QObject *relay, std::function<void()> fn)
{
    auto call = std::make_shared<PendingCall>(run);
    {
        auto guard = std::make_shared<CallGuard>(call);
        QMetaObject::invokeMethod(
            relay,
            [guard, run, fn = std::move(fn)] {
                if (!run->isAbandoned())
                    fn();
            },
            Qt::QueuedConnection);
    }
    QMutexLocker lock(&run->mutex);
    while (!call->finished && !run->abandoned)
        run->changed.wait(&run->mutex);
}

} // namespace

SmtpWorker::SmtpWorker() : m_relay(std::make_unique<QObject>()) {}

SmtpWorker::~SmtpWorker()
{
    if (m_current)
        m_ending.append(m_current);
    m_current.reset();
    for (const auto &run : std::as_const(m_ending)) {
        QMutexLocker lock(&run->mutex);
        run->abandoned = true;
        run->cancel = true;
        run->changed.wakeAll();
    }
    for (const auto &run : std::as_const(m_ending))
        run->thread->wait();
}

bool SmtpWorker::start(SendJob &job)
{
    reapFinished();
    if (m_current && !m_current->reported)
        return false;
    if (m_current)
        m_ending.append(m_current);

    auto run = std::make_shared<SmtpRun>();
    QObject *relay = m_relay.get();
    SendJob *target = &job;
    // The parameters are copied here, on the owner's thread; the worker
    // touches the job again only inside the result call.
    const bool reports = job.statusWindow && job.onStatus;
    const bool answers = job.resultWindow && job.onResult;
    // The thread holds the run only while it works, so that the run does not
    // own itself through its thread.
    const std::weak_ptr<SmtpRun> weakRun = run;
    run->thread.reset(QThread::create(
        [weakRun, relay, target, reports, answers, statusWindow = job.statusWindow,
         statusMessage = job.statusMessage, onStatus = job.onStatus,
         resultWindow = job.resultWindow, resultMessage = job.resultMessage,
         onResult = job.onResult, server = job.server, port = job.port, mailFile = job.mailFile,
         deadlines = job.deadlines, userName = job.userName, password = job.password,
         security = job.security, implicitTlsPort = job.implicitTlsPort] {
            // The delivery in a scope of its own, so that its socket is gone
            // before OpenSSL's state for this thread is freed.
            [&] {
                const std::shared_ptr<SmtpRun> run = weakRun.lock();
                CSmtpSocket socket;
                socket.deadlines = deadlines;
                socket.userName = userName;
                socket.password = password;
                socket.security = security;
                socket.implicitTlsPort = implicitTlsPort;
                socket.cancelFlag = &run->cancel;
                if (reports) {
                    socket.report = [&](const QString &line) {
                        callOwner(run, relay, [=] {
                            if (statusWindow)
                                onStatus(statusMessage, line, 1);
                        });
                    };
                }
                const bool delivered = socket.Deliver(server, port, mailFile);
                if (answers) {
                    const QString errorText = socket.errorText();
                    const QByteArray listTitle = socket.listTitle();
                    callOwner(run, relay, [=] {
                        run->reported = true;
                        if (!resultWindow)
                            return;
                        target->errorText = errorText;
                        target->listTitle = listTitle;
                        onResult(resultMessage, *target, delivered);
                    });
                }
                run->reported = true;
                run->finished = true;
            }();
            // OpenSSL keeps state per thread (random generators, errors) that
            // it frees only as the thread ends, which may come after the
            // program's exit; freed here it never outlives the delivery.
            OPENSSL_thread_stop();
        }));
    run->thread->start();
    m_current = run;
    return true;
}

void SmtpWorker::cancel()
{
    if (!m_current)
        return;
    m_current->cancel = true;
}

bool SmtpWorker::isRunning() const
{
    return m_current && !m_current->reported;
}

bool SmtpWorker::wait(int ms)
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        reapFinished();
        if (m_current && m_current->finished && m_current->thread->wait())
            m_current.reset();
        if (!m_current && m_ending.isEmpty())
            return true;
        if (deadline.hasExpired())
            return false;
        // The worker may be waiting for a call to run on this thread.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (m_current)
            m_current->thread->wait(QDeadlineTimer(std::min<qint64>(5, deadline.remainingTime())));
    }
}

void SmtpWorker::reapFinished()
{
    m_ending.removeIf([](const std::shared_ptr<SmtpRun> &run) {
        // A finished worker has at most its return left to run.
        return run->finished && run->thread->wait();
    });
}
