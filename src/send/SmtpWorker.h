#pragma once

#include "send/SendJob.h"

#include <QList>
#include <QObject>

#include <memory>

struct SmtpRun;

// Runs SMTP deliveries, each on a worker thread of its own that lives for
// one file. The worker reaches its owner only through blocking queued calls
// (SendJob::onStatus, SendJob::onResult). Owned and driven by one thread.
class SmtpWorker
{
public:
    SmtpWorker();
    // Cancels a running delivery and waits for its thread to end.
    ~SmtpWorker();
    SmtpWorker(const SmtpWorker &) = delete;
    SmtpWorker &operator=(const SmtpWorker &) = delete;

    // Starts a worker thread that delivers job.mailFile to job.server and
    // job.port, and returns at once. `job` must stay alive until its result
    // has been handled. The next delivery may start from inside onResult of
    // the previous one; false (nothing started) while a delivery has not yet
    // reported its result.
    bool start(SendJob &job);

    // Ends the running delivery at once; it fails with the text of the step
    // it was in. Does nothing when no delivery is running.
    void cancel();

    // True from start() until the result has been handled.
    bool isRunning() const;

    // Waits, at most `ms` milliseconds, until every worker thread has ended
    // (for shutdown and tests). Must not be called from inside onStatus or
    // onResult. True when none is left.
    bool wait(int ms);

private:
    void reapFinished();

    // Lives on the owner's thread: the workers' calls run in its events.
    std::unique_ptr<QObject> m_relay;
    std::shared_ptr<SmtpRun> m_current;
    QList<std::shared_ptr<SmtpRun>> m_ending;
};
