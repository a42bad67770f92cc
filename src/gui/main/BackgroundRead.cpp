#include "main/BackgroundRead.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

bool RunWithProgress(QWidget *parent, const QString &label,
                     const std::function<bool(const MailBatch::Progress &)> &work)
{
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> cancelled{false};
    bool finished = false;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        finished = work([&](qint64 bytesDone, qint64 bytesTotal) {
            done = bytesDone;
            total = bytesTotal;
            return !cancelled.load();
        });
    }));
    QProgressDialog dialog(label, QCoreApplication::translate("BackgroundRead", "ｷｬﾝｾﾙ"), 0, 1000,
                           parent);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setValue(0); // starts the clock of the minimum duration
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &dialog, [&] {
        if (dialog.wasCanceled())
            cancelled = true;
        else if (const qint64 all = total.load(); all > 0)
            dialog.setValue(int(std::min<qint64>(999, done.load() * 1000 / all)));
    });
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    tick.start(100);
    thread->start();
    loop.exec();
    thread->wait();
    return finished && !cancelled.load();
}
