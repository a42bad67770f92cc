// tavelin-render OUTDIR [TEMPLATE-ID...]: draws each dialog, filled with
// sample values, into OUTDIR/dialog-<id>.png on the offscreen platform, so
// that every window can be looked at without a display. Without ids it draws
// every template. The store is a temporary one: the owner's is never touched.
#include "app/AboutDlg.h"
#include "app/FileRenameDlg.h"
#include "app/TavelinDlg.h"
#include "app/TitleDlg.h"
#include "resources/ResourceIds.h"
#include "send/StatusDlg.h"
#include "store/SettingsStore.h"
#include "ui/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
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
    return entry;
}

std::unique_ptr<TemplateDialog> sampleDialog(int id, UiServices &ui)
{
    switch (id) {
    case IDD_ABOUTBOX:
        return std::make_unique<CAboutDlg>();
    case IDD_TAVELIN_DIALOG:
        SaveRegister({sampleList("写真同好会", "photo"), sampleList("Garden club", "garden"),
                      sampleList("読書会", "books")});
        return std::make_unique<CTavelinDlg>(ui, QStringList{QStringLiteral("tavelin")});
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
    case IDD_STATUS: {
        static QObject run; // nobody to answer
        auto dialog = std::make_unique<CStatusDlg>(ui.dialUp(), run);
        dialog->m_strStatus1 = QStringLiteral("(2/3)通目を送信中");
        dialog->m_strStatus2 = QStringLiteral("ホストへの接続完了");
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

    SilentUiServices ui;
    int status = 0;
    for (int id : std::as_const(ids)) {
        std::unique_ptr<TemplateDialog> dialog = sampleDialog(id, ui);
        dialog->show(); // opening fills the controls from the sample values
        const QString file = QDir(outDir).filePath(QStringLiteral("dialog-%1.png").arg(id));
        if (!dialog->grab().save(file, "PNG")) {
            std::fprintf(stderr, "tavelin-render: cannot write %s\n", qPrintable(file));
            status = 1;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
        if (auto *statusWindow = qobject_cast<CStatusDlg *>(dialog.get())) {
            // A run that dials shows the keep-connection box.
            statusWindow->showControl(StatusIds::IDC_KEEPCONNECTION, true);
            statusWindow->SetStatusLine1(QStringLiteral("プロバイダへ電話をかけています"));
            statusWindow->SetStatusLine2(QString());
            const QString dialled =
                QDir(outDir).filePath(QStringLiteral("dialog-%1-dialup.png").arg(id));
            if (!statusWindow->grab().save(dialled, "PNG")) {
                std::fprintf(stderr, "tavelin-render: cannot write %s\n", qPrintable(dialled));
                status = 1;
            } else {
                std::printf("%s\n", qPrintable(dialled));
            }
        }
        dialog->close();
    }
    return status;
}
