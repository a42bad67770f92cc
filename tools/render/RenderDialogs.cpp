// tavelin-render OUTDIR [--config FILE] [TEMPLATE-ID...]: draws each dialog,
// filled with sample values, into OUTDIR/dialog-<id>.png on the offscreen
// platform, so that every window can be looked at without a display. Without
// ids it draws every template. A page is drawn in its sheet, and a page whose
// controls follow a mode once more per mode (dialog-<id>-<mode>.png); the main
// window also on each command tab (dialog-102-tab<n>.png); a config page on a
// copy of FILE (or of a sample config). The store and the outgoing folder are
// temporary ones: the owner's are never touched.
#include "commands/CommandComposer.h"
#include "commands/OutgoingFolder.h"
#include "common/Translation.h"
#include "config/ConfigPageLayout.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/BounceSummaryDlg.h"
#include "dialogs/FileRenameDlg.h"
#include "dialogs/MailSelectDlg.h"
#include "dialogs/QueuedMailDlg.h"
#include "dialogs/ReplyResultsDlg.h"
#include "dialogs/RosterDlg.h"
#include "dialogs/TitleDlg.h"
#include "main/StatusDlg.h"
#include "main/TavelinDlg.h"
#include "resources/ResourceIds.h"
#include "send/DialUpBinding.h"
#include "sheets/CommonSheet.h"
#include "sheets/ConfigSheet.h"
#include "store/SettingsStore.h"
#include "ui/UiServices.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

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

// A list's config as the server writes it, shortened, with the owner's changes.
constexpr const char kSampleConfig[] = R"(# The configuration file for a majordomo mailing list.
admin_passwd        =   photo.admin
administrivia       =   yes
advertise           <<  END
/@example\.jp$/
END
approve_passwd      =   photo.pass
archive_dir         =
comments            <<  END
写真同好会の設定です。
月に一度見直します。
END
date_info           =   yes
date_intro          =   yes
debug               =   no
description         =   写真同好会の連絡用リスト
digest_archive      =
digest_issue        =   12
digest_maxdays      =
digest_maxlines     =   500
digest_name         =   photo
digest_rm_footer    =
digest_rm_fronter   =
digest_volume       =   1
digest_work_dir     =   /usr/local/majordomo/digest/photo
get_access          =   list
index_access        =   open
info_access         =   open
intro_access        =   list
maxlength           =   40000
message_footer      <<  END
--
$LIST の退会は majordomo@lists.example.jp へ
unsubscribe $LIST
END
message_fronter     <<  END

END
message_headers     <<  END
X-ML-Name: $LIST
X-ML-Version: $VERSION
END
moderate            =   no
moderator           =
mungedomain         =   no
noadvertise         <<  END
/spammer/
END
precedence          =   bulk
purge_received      =   no
reply_to            =   $SENDER
resend_host         =   lists.example.jp
restrict_post       =   photo
sender              =   owner-photo
strip               =   yes
subject_prefix      =   [$LIST:$NUM]
subscribe_policy    =   open+confirm
taboo_body          <<  END
/free money/i
END
taboo_headers       <<  END

END
unsubscribe_policy  =   open
which_access        =   open
who_access          =   closed
)";

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

// One picture: the dialog, the page of a sheet to show, and the file's name
// after "dialog-".
struct Sample
{
    std::unique_ptr<TemplateDialog> dialog;
    int page = 0;
    QString name;
    int tab = -1; // the main window's command tab to show
};

std::unique_ptr<CCommonSheet> commonSheet(UiServices &ui, bool companion)
{
    CommonSettings settings;
    settings.UseQuillon = companion ? 1 : 0;
    settings.Server = "smtp.example.jp";
    settings.UserName = "owner";
    settings.PortNo = 587;
    settings.Password = "secret";
    settings.Address = "owner@example.jp";
    settings.MailSavePath = "/home/owner/tavelin-out";
    settings.SaveMail = 1;
    settings.DialUp = 1;
    settings.Entry = "Office";
    settings.QuillonType = 1;
    settings.Qsend = "/opt/quillon/quillon";
    return std::make_unique<CCommonSheet>(
        ui, settings, QStringList{QStringLiteral("Office"), QStringLiteral("Home DSL")});
}

// The status window of a run: one that dials shows the keep-connection box.
std::unique_ptr<TemplateDialog> statusWindow(UiServices &ui, bool dialling)
{
    static QObject run; // nobody to answer
    auto dialog = std::make_unique<CStatusDlg>(ui.dialUp(), run);
    if (dialling) {
        dialog->showControl(StatusIds::IDC_KEEPCONNECTION, true);
        dialog->m_strStatus1 =
            dialStateText(DialUpState::ConnectDevice, QStringLiteral("プロバイダ"));
    } else {
        // The lines a run shows, in the language shown.
        dialog->m_strStatus1 =
            QCoreApplication::translate("SendAllRun", "(%1/%2)通目を送信中").arg(2).arg(3);
        dialog->m_strStatus2 = QCoreApplication::translate("SmtpSocket", "ホストへの接続完了");
    }
    return dialog;
}

// The results of a reply with one command of each outcome.
std::unique_ptr<TemplateDialog> replyResults()
{
    QByteArray mail = "From: Majordomo@example.jp\nSubject: Majordomo results: x\n"
                      "Date: Tue, 08 Dec 2026 03:39:28 +0900\n\n--\n\n"
                      ">>>> approve secret subscribe photo hana@example.jp\nSucceeded.\n"
                      ">>>> approve secret unsubscribe photo ken@example.jp\n**** unsubscribe: "
                      "'ken@example.jp' is not a member of list 'photo'.\n"
                      ">>>> subscribe photo aoi@example.jp\n**** Your request to "
                      "Majordomo@example.jp:\n**** must be authenticated.\n"
                      ">>>> approve secret who photo\nMembers of list 'photo':\n\n"
                      "hana@example.jp\nKen <ken@example.org>\n\n2 subscribers\n\n"
                      ">>>> end\nEND OF COMMANDS\n";
    QBuffer buffer(&mail);
    buffer.open(QIODevice::ReadOnly);
    auto dialog = std::make_unique<CReplyResultsDlg>();
    dialog->m_reply = ReadServerReply(buffer);
    dialog->m_strList = QStringLiteral("写真同好会 (photo)");
    dialog->m_notes = {QCoreApplication::translate("ServerReplies", "会員一覧を保存しました")};
    return dialog;
}

// A roster with one before it, so the filter is on.
std::unique_ptr<TemplateDialog> rosterWindow(UiServices &ui)
{
    auto dialog = std::make_unique<CRosterDlg>(ui);
    Roster &roster = dialog->m_roster;
    roster.list = "photo";
    roster.date = QDateTime(QDate(2026, 12, 8), QTime(3, 39));
    for (const char *line : {"hana@example.jp", "Ken Sato <ken@example.org>",
                             "aoi@example.net (Aoi)", "", "# moderators", "jun@example.jp"})
        roster.members.append(MakeRosterMember(line));
    roster.serverCount = roster.members.size();
    dialog->m_previous = roster;
    dialog->m_previous->members.removeLast();
    return dialog;
}

// The summary of a week of returned mails: addresses that bounce daily, now
// and then, once, and one from a report without a date.
std::unique_ptr<TemplateDialog> bounceSummary(UiServices &ui)
{
    auto dialog = std::make_unique<CBounceSummaryDlg>(ui);
    BounceTally &tally = dialog->m_tally;
    const QDate newest(2026, 12, 7);
    for (int day = 0; day < 6; ++day)
        tally.add({{"hana@old-provider.example.jp", "", "5.1.1"},
                   {"ken.sato@mail.example.org", "", "5.2.2"}},
                  newest.addDays(-day));
    tally.add({{"aoi@example.net", "", "4.4.1"}}, newest.addDays(-40));
    tally.add({{"jun@example.jp", "", "550 5.1.1 User unknown"}}, newest.addDays(-2));
    tally.add({{"mika@example.com", "", ""}}, QDate());
    dialog->m_nMinDays = 2;
    return dialog;
}

// The config sheet on page (1 to 5), with the config at path loaded.
std::unique_ptr<TemplateDialog> configSheetOn(int page, const QString &path, UiServices &ui)
{
    auto sheet = std::make_unique<CConfigSheet>(ui);
    sheet->config().Load(path);
    sheet->setCurrentPage(page - 1);
    return sheet;
}

std::unique_ptr<TemplateDialog> sampleDialog(int id, UiServices &ui, const QString &configPath,
                                             const QString &outgoing)
{
    for (int page = 1; page <= ConfigPageCount; ++page) {
        if (id == configPageTemplateId(page))
            return configSheetOn(page, configPath, ui);
    }
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
    case IDD_COMMON_SEND:
    case IDD_COMMON_EDIT:
        return commonSheet(ui, false);
    case IDD_STATUS:
        return statusWindow(ui, false);
    case IDD_REPLYRESULTS:
        return replyResults();
    case IDD_ROSTER:
        return rosterWindow(ui);
    case IDD_BOUNCESUMMARY:
        return bounceSummary(ui);
    default:
        // A template without a window class yet: its controls as the template has them.
        return findDialogTemplate(id) ? std::make_unique<TemplateDialog>(id) : nullptr;
    }
}

std::vector<Sample> samples(int id, UiServices &ui, const QString &configPath,
                            const QString &outgoing)
{
    const QString name = QString::number(id);
    int page = id == IDD_COMMON_EDIT ? 1 : 0;
    for (int configPage = 1; configPage <= ConfigPageCount; ++configPage) {
        if (id == configPageTemplateId(configPage))
            page = configPage - 1;
    }
    std::vector<Sample> all;
    all.push_back({sampleDialog(id, ui, configPath, outgoing), page, name});
    if (id == IDD_TAVELIN_DIALOG) {
        for (int tab = 0; tab < kCommandKindCount; ++tab)
            all.push_back({sampleDialog(id, ui, configPath, outgoing), 0,
                           name + QStringLiteral("-tab%1").arg(tab), tab});
    }
    if (id == IDD_COMMON_SEND)
        all.push_back({commonSheet(ui, true), 0, name + QStringLiteral("-quillon")});
    if (id == IDD_STATUS)
        all.push_back({statusWindow(ui, true), 0, name + QStringLiteral("-dialup")});
    return all;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Drawn in the language the program would show (LANG, TAVELIN_LANG).
    const Translation translation(chosenLanguage());
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first().startsWith(QLatin1Char('-'))) {
        std::fputs("usage: tavelin-render OUTDIR [--config FILE] [TEMPLATE-ID...]\n", stderr);
        return 2;
    }
    const QString outDir = args.takeFirst();
    QString configSource;
    if (args.size() >= 2 && args.first() == QLatin1String("--config")) {
        args.removeFirst();
        configSource = args.takeFirst();
    }
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
    // The sheet is drawn on a copy: opening it must not touch the owner's file.
    const QString configPath = QDir(store.path()).filePath(QStringLiteral("sample.conf"));
    QByteArray configText = QString::fromUtf8(kSampleConfig).toLocal8Bit();
    if (!configSource.isEmpty()) {
        QFile source(configSource);
        if (!source.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "tavelin-render: cannot read %s\n", qPrintable(configSource));
            return 1;
        }
        configText = source.readAll();
    }
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly) || config.write(configText) != configText.size()) {
        std::fputs("tavelin-render: cannot write the sample config\n", stderr);
        return 1;
    }
    config.close();

    const QString outgoing = store.filePath(QStringLiteral("out"));
    QDir().mkpath(outgoing);
    queueSampleMails(outgoing);

    SilentUiServices ui;
    int status = 0;
    for (int id : std::as_const(ids)) {
        for (const Sample &sample : samples(id, ui, configPath, outgoing)) {
            sample.dialog->show(); // opening fills the controls from the sample values
            if (sample.tab >= 0)
                sample.dialog->item<QTabWidget>(MainIds::IDC_TAB)->setCurrentIndex(sample.tab);
            if (auto *sheet = qobject_cast<PropertySheet *>(sample.dialog.get()))
                sheet->setCurrentPage(sample.page);
            // Text fields lay out their text when the event loop lets them.
            QCoreApplication::processEvents();
            const QString file =
                QDir(outDir).filePath(QStringLiteral("dialog-%1.png").arg(sample.name));
            if (!sample.dialog->grab().save(file, "PNG")) {
                std::fprintf(stderr, "tavelin-render: cannot write %s\n", qPrintable(file));
                status = 1;
            } else {
                std::printf("%s\n", qPrintable(file));
            }
            sample.dialog->close();
        }
    }
    return status;
}
