#include "fetch/FetchWorker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QThread>

#include <openssl/crypto.h>

FetchWorker::FetchWorker() = default;

FetchWorker::~FetchWorker()
{
    cancel();
    if (m_thread)
        m_thread->wait();
}

bool FetchWorker::start(const FetchRequest &request)
{
    if (m_thread)
        return false;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    QPointer<FetchWorker> self(this);
    m_thread.reset(QThread::create([self, request, cancel = m_cancel] {
        FetchRun run;
        run.cancel = cancel.get();
        run.progress = [self](const QString &line) {
            QMetaObject::invokeMethod(
                self,
                [self, line] {
                    if (self && self->onProgress)
                        self->onProgress(line);
                },
                Qt::QueuedConnection);
        };
        const FetchSummary summary = run.run(request);
        // OpenSSL's state for this thread (libcurl's TLS) freed before the
        // thread ends, not as it ends, which may come after the program's exit.
        OPENSSL_thread_stop();
        QMetaObject::invokeMethod(
            self,
            [self, summary] {
                if (self)
                    self->finished(summary);
            },
            Qt::QueuedConnection);
    }));
    m_thread->start();
    return true;
}

void FetchWorker::finished(const FetchSummary &summary)
{
    if (m_thread) {
        m_thread->wait();
        m_thread.reset();
    }
    if (onFinished)
        onFinished(summary);
}

void FetchWorker::cancel()
{
    if (m_cancel)
        m_cancel->store(true);
}

bool FetchWorker::wait(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (m_thread && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return !m_thread;
}
