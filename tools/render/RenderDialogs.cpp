// tavelin-render OUTDIR [TEMPLATE-ID...]: draws each dialog, filled with
// sample values, into OUTDIR/dialog-<id>.png on the offscreen platform, so
// that every window can be looked at without a display; the main window also
// on each command tab, into dialog-102-tab<n>.png. Without ids it draws every
// template. The store and the outgoing folder are temporary ones: the owner's
// are never touched.
#include "app/AboutDlg.h"
#include "app/FileRenameDlg.h"
#include "app/TavelinDlg.h"
#include "app/TitleDlg.h"
#include "commands/CommandComposer.h"
#include "commands/MailSelectDlg.h"
#include "commands/OutgoingFolder.h"
#include "commands/QueuedMailDlg.h"
#include "resources/ResourceIds.h"
#include "store/SettingsStore.h"
#include "ui/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

MailingListEntry sampleList(const char *title, const char *name)
{
    MailingListEntry entry;
    entry.Title = QString::fromUtf8(title).toLocal8Bit();
    entry.Address = "majordomo@lists.example.jp";
    entry.ListName = name;
    entry.Passwd = "secret";
    entry.ConfigFile = QByteArray("/home/owner/lists/") + name + ".conf";
    entry.InfoFile = QByteArray("/home/owner/lists/") + name + ".info";
    entry.IntroFile = QByteArray("/home/owner/lists/") + name + ".intro";
    return entry;
}

// Three queued mails in folder, the outgoing folder of the stored settings.
void queueSampleMails(const QString &folder)
{
    CommonSettings settings;
    settings.MailSavePath = folder.toLocal8Bit();
    SaveCommonSettings(settings);
    const char *subjects[] = {"unsubscribe photo gone@example.org", "who photo",
                              "subscribe garden ｶﾞｰﾃﾞﾝ <new@example.jp>"};
    for (const char *subject : subjects)
        OutgoingFolder::WriteQueuedFile(folder, [subject](QIODevice &file) {
            return file.write(QByteArray("Subject: ") + subject + "\r\n") > 0;
        });
}

std::unique_ptr<TemplateDialog> sampleDialog(int id, UiServices &ui, const QString &outgoing)
{
    switch (id) {
    case IDD_ABOUTBOX:
        return std::make_unique<CAboutDlg>();
    case IDD_TAVELIN_DIALOG:
        SaveRegister({sampleList("写真同好会", "photo"), sampleList("Garden club", "garden"),
                      sampleList("読書会", "books")});
        return std::make_unique<CTavelinDlg>(ui, QStringList{QStringLiteral("tavelin")});
    case IDD_QUEUEDMAIL: {
        auto dialog = std::make_unique<CQueuedMailDlg>(ui);
        dialog->m_strFolder = outgoing;
        return dialog;
    }
    case IDD_MAILSELECT: {
        auto dialog = std::make_unique<CMailSelectDlg>(ui);
        dialog->m_strFileName = QStringLiteral("/home/owner/Mail/returned.qxl");
        return dialog;
    }
    case IDD_TITLE: {
        auto dialog = std::make_unique<CTitleDlg>();
        dialog->m_strTitle = QStringLiteral("写真同好会");
        return dialog;
    }
    case IDD_FILERENAME: {
        auto dialog = std::make_unique<CFileRenameDlg>(ui);
        dialog->m_strSource = QStringLiteral("/home/owner/Mail/config-reply.txt");
        dialog->m_strNewName = QStringLiteral("/home/owner/lists/photo.conf");
        return dialog;
    }
    default:
        // A template without a window class yet: its controls as the template has them.
        return findDialogTemplate(id) ? std::make_unique<TemplateDialog>(id) : nullptr;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first().startsWith(QLatin1Char('-'))) {
        std::fputs("usage: tavelin-render OUTDIR [TEMPLATE-ID...]\n", stderr);
        return 2;
    }
    const QString outDir = args.takeFirst();
    QList<int> ids;
    for (const QString &arg : std::as_const(args)) {
        bool ok = false;
        const int id = arg.toInt(&ok);
        if (!ok || !findDialogTemplate(id)) {
            std::fprintf(stderr, "tavelin-render: no dialog template %s\n", qPrintable(arg));
            return 2;
        }
        ids.append(id);
    }
    if (ids.isEmpty()) {
        for (const DialogTemplate &t : dialogTemplates())
            ids.append(t.id);
    }
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "tavelin-render: cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    QTemporaryDir store;
    if (!store.isValid()) {
        std::fputs("tavelin-render: cannot create a temporary store\n", stderr);
        return 1;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());

    const QString outgoing = store.filePath(QStringLiteral("out"));
    QDir().mkpath(outgoing);
    queueSampleMails(outgoing);

    SilentUiServices ui;
    int status = 0;
    const auto save = [&](TemplateDialog &dialog, const QString &name) {
        const QString file = QDir(outDir).filePath(name);
        if (!dialog.grab().save(file, "PNG")) {
            std::fprintf(stderr, "tavelin-render: cannot write %s\n", qPrintable(file));
            status = 1;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    };
    for (int id : std::as_const(ids)) {
        std::unique_ptr<TemplateDialog> dialog = sampleDialog(id, ui, outgoing);
        dialog->show(); // opening fills the controls from the sample values
        save(*dialog, QStringLiteral("dialog-%1.png").arg(id));
        if (auto *window = dynamic_cast<CTavelinDlg *>(dialog.get())) {
            for (int tab = 0; tab < kCommandKindCount; ++tab) {
                window->item<QTabWidget>(MainIds::IDC_TAB)->setCurrentIndex(tab);
                save(*dialog, QStringLiteral("dialog-%1-tab%2.png").arg(id).arg(tab));
            }
        }
        dialog->close();
    }
    return status;
}
