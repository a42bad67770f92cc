#pragma once

#include "fetch/FetchRun.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// Runs one fetch at a time on a worker thread of its own, so the window stays
// responsive. Its progress lines and its summary reach the owner's thread as
// queued calls; cancel() ends the running fetch within a moment. Owned and
// driven by one thread.
class FetchWorker : public QObject
{
    Q_OBJECT

public:
    FetchWorker();
    // Cancels a running fetch and waits for its thread to end.
    ~FetchWorker() override;

    // Each progress line and the summary, on the owner's thread.
    std::function<void(const QString &line)> onProgress;
    std::function<void(const FetchSummary &summary)> onFinished;

    // Starts the fetch and returns at once; false (nothing started) while
    // one is running.
    bool start(const FetchRequest &request);
    void cancel();
    bool isRunning() const { return m_thread != nullptr; }
    // Waits, at most `ms` milliseconds, for the running fetch to report
    // (tests, shutdown), running this thread's events meanwhile.
    bool wait(int ms);

private:
    void finished(const FetchSummary &summary);

    std::unique_ptr<QThread> m_thread;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};
