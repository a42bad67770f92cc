#include "store/Keyring.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QUuid>

namespace Keyring {

namespace {

const QString kService = QStringLiteral("Tavelin");

// The reason a job failed, as the owner can act on it.
QString reason(const QKeychain::Job &job)
{
    const QString detail = job.errorString();
    QString what;
    switch (job.error()) {
    case QKeychain::NoError:
        return {};
    case QKeychain::EntryNotFound:
        what = QCoreApplication::translate("Keyring", "ｷｰﾘﾝｸﾞにﾊﾟｽﾜｰﾄﾞがありません");
        break;
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied:
        what =
            QCoreApplication::translate("Keyring", "ｷｰﾘﾝｸﾞがﾛｯｸされているか、使用を拒否されました");
        break;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        what = QCoreApplication::translate("Keyring", "ｷｰﾘﾝｸﾞ(Secret Service)が見つかりません");
        break;
    case QKeychain::CouldNotDeleteEntry:
    case QKeychain::OtherError:
        what = QCoreApplication::translate("Keyring", "ｷｰﾘﾝｸﾞを使えません");
        break;
    }
    return detail.isEmpty() ? what : what + QStringLiteral("\n") + detail;
}

// Runs the job to its end, or until kWaitMs passed; the reason of a failure.
// A job that outlives the wait deletes itself when it ends.
QString run(QKeychain::Job *job)
{
    job->setAutoDelete(false);
    // Never the plain-text file QtKeychain can fall back to.
    job->setInsecureFallback(false);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec();
    if (!finished) {
        // Nothing of this call may run when the job ends later.
        job->disconnect();
        QObject::connect(job, &QKeychain::Job::finished, job, &QObject::deleteLater);
        return QCoreApplication::translate("Keyring", "ｷｰﾘﾝｸﾞが応答しません");
    }
    const QString error = reason(*job);
    delete job;
    return error;
}

} // namespace

Read read(const QByteArray &name)
{
    auto *job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(QString::fromLatin1(name));
    Read result;
    // The value is taken before run() deletes the job.
    QObject::connect(job, &QKeychain::Job::finished, job,
                     [&result, job] { result.value = job->binaryData(); });
    result.error = run(job);
    if (!result.ok())
        result.value.clear();
    return result;
}

QString write(const QByteArray &name, const QByteArray &value)
{
    auto *job = new QKeychain::WritePasswordJob(kService);
    job->setKey(QString::fromLatin1(name));
    job->setBinaryData(value);
    return run(job);
}

QString remove(const QByteArray &name)
{
    auto *job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(QString::fromLatin1(name));
    QString error;
    QKeychain::Error code = QKeychain::NoError;
    QObject::connect(job, &QKeychain::Job::finished, job, [&code, job] { code = job->error(); });
    error = run(job);
    return code == QKeychain::EntryNotFound ? QString() : error;
}

QByteArray newListEntry()
{
    return "list-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
}

} // namespace Keyring
