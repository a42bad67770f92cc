// The settings store: saving and loading registers of 100, 500 and 5000
// lists, as the main window does at start and on every change.
#include "BenchSupport.h"

#include "store/AppRegistry.h"
#include "store/SettingsStore.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    for (const int count : {100, 500, 5000}) {
        ListRegister lists;
        for (int i = 0; i < count; ++i) {
            const QByteArray n = QByteArray::number(i);
            MailingListEntry entry;
            entry.Title = "list " + n;
            entry.Address = "majordomo@host" + n + ".example";
            entry.ListName = "list" + n;
            entry.Passwd = "pw" + n;
            entry.ConfigFile = "/home/owner/lists/" + n + ".config";
            entry.InfoFile = "/home/owner/lists/" + n + ".info";
            entry.IntroFile = "/home/owner/lists/" + n + ".intro";
            lists.append(entry);
        }
        sortRegister(lists);
        const double save = bestMs(3, [&] { SaveRegister(lists); });
        qsizetype loaded = 0;
        const double load = bestMs(3, [&] {
            CAppRegistry store;
            CommonSettings settings;
            LoadCommonSettings(store, settings);
            loaded = LoadRegister(store).size();
        });
        std::printf("%5d lists: save %8.1f ms, load %8.1f ms (%lld loaded)\n", count, save, load,
                    static_cast<long long>(loaded));
    }
    return 0;
}
