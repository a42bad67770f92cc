#pragma once

#include "send/SendJob.h"

#include <QList>
#include <QObject>

#include <memory>

struct SmtpRun;

// Runs SMTP deliveries, one at a time, each on a worker thread of its own
// that is started for one file and ends after it reported. The worker
// reaches its owner only through blocking queued calls (SendJob::onStatus,
// SendJob::onResult). Owned and driven by one thread.
class SmtpWorker
{
public:
    SmtpWorker();
    // Cancels a running delivery and waits for it to end. Not from inside
    // onStatus or onResult.
    ~SmtpWorker();
    SmtpWorker(const SmtpWorker &) = delete;
    SmtpWorker &operator=(const SmtpWorker &) = delete;

    // Starts delivering job.mailFile to job.server and job.port on the
    // worker thread, and returns at once. `job` must stay alive until its result
    // has been handled. The next delivery may start from inside onResult of
    // the previous one; false (nothing started) while a delivery has not yet
    // reported its result.
    bool start(SendJob &job);

    // Ends the running delivery at once; it fails with the text of the step
    // it was in. Does nothing when no delivery is running.
    void cancel();

    // True from start() until its result call begins.
    bool isRunning() const;

    // Waits, at most `ms` milliseconds, until every delivery has ended (for
    // shutdown and tests); runs this thread's events meanwhile. Must not be
    // called from inside onStatus or onResult. True when none is left.
    bool wait(int ms);

private:
    void reapFinished();

    // Lives on the owner's thread: the workers' calls run in its events.
    std::unique_ptr<QObject> m_relay;
    std::shared_ptr<SmtpRun> m_current;
    QList<std::shared_ptr<SmtpRun>> m_ending;
};
