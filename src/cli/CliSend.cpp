#include "Cli.h"

#include "store/SettingsStore.h"

#include "send/SmtpWorker.h"

#include <QEventLoop>

namespace cli {

int sendFile(const QStringList &args)
{
    QString file;
    QByteArray server;
    quint32 port = 0;
    int timeoutSeconds = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--server") && hasValue) {
            server = args.at(++i).toLocal8Bit();
            if (server.isEmpty())
                return usageError(QStringLiteral("--server needs a host name or address"));
        } else if (arg == QLatin1String("--port") && hasValue) {
            bool ok = false;
            port = args.at(++i).toUInt(&ok);
            if (!ok || port == 0 || port > 65535)
                return usageError(QStringLiteral("--port needs a number from 1 to 65535"));
        } else if (arg == QLatin1String("--timeout") && hasValue) {
            bool ok = false;
            timeoutSeconds = args.at(++i).toInt(&ok);
            if (!ok || timeoutSeconds <= 0 || timeoutSeconds > 86400)
                return usageError(QStringLiteral("--timeout needs seconds from 1 to 86400"));
        } else if (arg.startsWith(QLatin1String("--")) || !file.isEmpty()) {
            return usageError(QStringLiteral("unexpected argument '%1'").arg(arg));
        } else {
            file = arg;
        }
    }
    if (file.isEmpty())
        return usageError(QStringLiteral("send-file needs the queued file to send"));

    CommonSettings settings;
    if (!loadSettings(settings))
        return ExitFailure;

    // The worker reports to this thread, as it does to the windows.
    QObject receiver;
    QEventLoop loop;
    bool delivered = false;
    SendJob job;
    job.statusWindow = &receiver;
    job.onStatus = [](quint32, const QString &text, int) { line(text); };
    job.resultWindow = &receiver;
    job.onResult = [&](quint32, SendJob &, bool ok) {
        delivered = ok;
        loop.quit();
    };
    job.server = server.isEmpty() ? settings.Server : server;
    job.port = port != 0 ? port : settings.PortNo;
    job.userName = settings.UserName;
    const bool login =
        !settings.UserName.isEmpty() && smtpSecurity(settings) != SmtpSecurity::Plain;
    const Keyring::Read password = login ? SmtpPassword(settings) : Keyring::Read{};
    if (!password.ok())
        return failure(password.error);
    job.password = password.value;
    job.security = parseSmtpSecurity(settings.SmtpSecurity); // unset: derived
    job.mailFile = file;
    if (timeoutSeconds > 0)
        job.deadlines = SmtpDeadlines::uniform(timeoutSeconds * 1000);

    SmtpWorker worker;
    if (!worker.start(job))
        return failure(QStringLiteral("the delivery could not start"));
    loop.exec();
    return delivered ? ExitOk : failure(job.errorText);
}

} // namespace cli
