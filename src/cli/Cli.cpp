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

namespace {
QByteArrayList g_argumentBytes;
} // namespace

void keepArgumentBytes(int argc, char **argv, int first)
{
    g_argumentBytes.clear();
    for (int i = first; i < argc; ++i)
        g_argumentBytes.append(QByteArray(argv[i]));
}

QByteArray argumentBytes(const QStringList &args, qsizetype i)
{
    // Should the two lists ever differ, the decoded text is all there is.
    if (g_argumentBytes.size() == args.size())
        return g_argumentBytes[i];
    return args[i].toLocal8Bit();
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
