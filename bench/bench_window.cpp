// The main window on the offscreen platform: opening it on a register of 500
// lists (store read, widgets built, selector filled), adding a list (the whole
// register written), a change of command tab, the queue dialog opening on
// 10 000 queued mails, and the file-rename copy of a 50 MB file.
#include "BenchSupport.h"
#include "commands/OutgoingFolder.h"
#include "dialogs/FileRenameDlg.h"
#include "dialogs/QueuedMailDlg.h"
#include "main/TavelinDlg.h"
#include "store/AppRegistry.h"
#include "store/SettingsStore.h"
#include "ui/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kLists = 500;
constexpr int kRounds = 5;
constexpr int kQueued = 10000;

// Every dialog is confirmed at once, a title dialog with a new title; every
// message is cancelled.
class Confirming : public SilentUiServices
{
public:
    DialogAnswer runModal(QDialog &dialog) override
    {
        auto &templated = static_cast<TemplateDialog &>(dialog);
        templated.initialize();
        templated.setText(1161, QStringLiteral("new list %1").arg(++m_added));
        templated.press(1);
        return dialog.result() == QDialog::Accepted ? DialogAnswer::Ok : DialogAnswer::Cancel;
    }

private:
    int m_added = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());

    Confirming ui;
    const double empty = bestMs(kRounds, [&] {
        CTavelinDlg window(ui, {QStringLiteral("tavelin")});
        window.initialize();
    });

    ListRegister lists;
    for (int i = 0; i < kLists; ++i) {
        MailingListEntry entry;
        entry.Title = "list " + QByteArray::number(i * 7919 % kLists);
        entry.Address = "majordomo@lists.example.org";
        entry.ListName = "list" + QByteArray::number(i);
        entry.Passwd = "secret";
        entry.ConfigFile = "/home/owner/lists/list" + QByteArray::number(i) + ".conf";
        lists.append(entry);
    }
    sortRegister(lists);
    SaveRegister(lists);

    const double open = bestMs(kRounds, [&] {
        CTavelinDlg window(ui, {QStringLiteral("tavelin")});
        window.initialize();
    });
    const double load = bestMs(kRounds, [] {
        CAppRegistry store;
        CommonSettings settings;
        LoadCommonSettings(store, settings);
        LoadRegister(store);
    });
    CTavelinDlg window(ui, {QStringLiteral("tavelin")});
    window.initialize();
    const double add = bestMs(kRounds, [&] { window.press(1006); });
    window.show(); // a shown window lays out and paints what a tab shows
    auto *tabs = window.item<QTabWidget>(1037);
    int tab = 0;
    const double tabChange = bestMs(50, [&] {
        tabs->setCurrentIndex(tab = (tab + 1) % 8);
        QCoreApplication::processEvents();
    });

    const QString outgoing = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(outgoing);
    for (int i = 0; i < kQueued; ++i) {
        QFile mail(
            OutgoingFolder::QueuedPath(outgoing, QStringLiteral("tvl%1.TMP").arg(i + 1, 0, 16)));
        if (!mail.open(QIODevice::WriteOnly))
            return 1;
        mail.write("X-Tavelin-ML: list\r\nTo: majordomo@lists.example.org\r\n"
                   "From: owner@example.org\r\nDate: Mon, 1 Jan 2024 09:00:00 +0900\r\n"
                   "Subject: unsubscribe list member" +
                   QByteArray::number(i * 7919 % kQueued) +
                   "@example.org\r\n\r\napprove x\r\nend\r\n");
    }
    const double queue = bestMs(kRounds, [&] {
        CQueuedMailDlg dialog(ui);
        dialog.m_strFolder = outgoing;
        dialog.show();
        QCoreApplication::processEvents();
    });

    const QString source = dir.filePath(QStringLiteral("reply.txt"));
    {
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        const QByteArray line(78, 'x');
        for (int i = 0; i < 50 * 1024 * 1024 / 80; ++i)
            f.write(line + "\r\n");
    }
    const double copy = bestMs(kRounds, [&] {
        CFileRenameDlg rename(ui);
        rename.m_strSource = source;
        rename.m_strNewName = dir.filePath(QStringLiteral("list.conf"));
        rename.initialize();
        rename.press(1);
    });

    std::printf("open main window, no list:      %8.2f ms\n", empty);
    std::printf("open main window, %d lists:     %8.2f ms\n", kLists, open);
    std::printf("  of which the store's load:    %8.2f ms\n", load);
    std::printf("add a list (register written):  %8.2f ms\n", add);
    std::printf("change of command tab:          %8.3f ms\n", tabChange);
    std::printf("queue dialog, %d mails:      %8.2f ms\n", kQueued, queue);
    std::printf("file-rename copy of 50 MB:      %8.2f ms (%.0f MB/s)\n", copy, 50 / (copy / 1000));
    return 0;
}
