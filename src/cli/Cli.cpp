#include "Cli.h"

#include "store/AppRegistry.h"
#include "store/SettingsStore.h"

#include <cstdio>

namespace cli {

void out(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void err(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int usageError(const QString &message)
{
    err("tavelin-cli: " + message.toLocal8Bit() + "\nTry 'tavelin-cli --help'.\n");
    return ExitUsage;
}

int failure(const QString &message)
{
    err("tavelin-cli: " + message.toLocal8Bit() + '\n');
    return ExitFailure;
}

void line(const QString &text)
{
    out(text.toLocal8Bit() + '\n');
}

bool loadSettings(CommonSettings &settings, ListRegister *lists)
{
    CAppRegistry store;
    if (!store.readError().isEmpty()) {
        failure(QStringLiteral("the settings cannot be read: %1").arg(store.readError()));
        return false;
    }
    LoadCommonSettings(store, settings);
    if (lists)
        *lists = LoadRegister(store);
    return true;
}

} // namespace cli
