// The common settings sheet: its rules, pickers and refusals, the connection
// names, the outgoing folder's creation, and what the main window stores, on
// the real store in a temporary folder with scripted answers.
#include "CliRun.h"
#include "WindowFixture.h"
#include "main/TavelinDlg.h"
#include "sheets/CommonSheet.h"
#include "store/AppRegistry.h"
#include "store/SettingsStore.h"
#include "ui/UpDownControl.h"

#include <QComboBox>
#include <QFileInfo>
#include <QTest>

using namespace CommonSendIds;
using Kind = FakeUiServices::Kind;

namespace {

const QList<int> kRedialControls = {IDC_REDIAL_LABEL,   IDC_REDIAL,   IDC_REDIAL_SPIN,
                                    IDC_INTERVAL_LABEL, IDC_INTERVAL, IDC_INTERVAL_SPIN};
const QList<int> kSmtpFields = {IDC_SERVER,    IDC_TIMEZONE, IDC_PORT,   IDC_USERNAME,
                                IDC_PASSWORD,  IDC_ADDRESS,  IDC_FOLDER, IDC_FOLDER_BROWSE,
                                IDC_SAVE_MAIL, IDC_SECURITY};
const QList<int> kCompanionFields = {IDC_EDITION_16, IDC_EDITION_32, IDC_PROGRAM,
                                     IDC_PROGRAM_BROWSE, IDC_NO_SIGNATURE};
const QList<int> kDialUpGroup = {IDC_DIALUP, IDC_ENTRY_LABEL, IDC_ENTRY};

TemplatePage &sendPage(CCommonSheet &sheet)
{
    return *sheet.page(0);
}

QStringList entries(const TemplatePage &page)
{
    QStringList shown;
    const auto *list = page.item<QComboBox>(IDC_ENTRY);
    for (int i = 0; i < list->count(); ++i)
        shown.append(list->itemText(i));
    return shown;
}

} // namespace

class TestSettings : public QObject, WindowFixture
{
    Q_OBJECT

private:
    QString storeFile() const { return path(QStringLiteral("Orvendal/Tavelin.conf")); }

    std::unique_ptr<CCommonSheet> openSheet(const CommonSettings &settings,
                                            const QStringList &names = {})
    {
        auto sheet = std::make_unique<CCommonSheet>(m_ui, settings, names);
        sheet->show();
        return sheet;
    }

private Q_SLOTS:
    void init() { QVERIFY(startWindowTest()); }

    void sheetHasItsPagesAndOnlyOkAndCancel()
    {
        auto sheet = openSheet(CommonSettings());
        QCOMPARE(sheet->windowTitle(), QStringLiteral("共通設定"));
        QCOMPARE(sheet->pageCount(), 3);
        QCOMPARE(sheet->page(0)->windowTitle(), QStringLiteral("送信設定"));
        QCOMPARE(sheet->page(1)->windowTitle(), QStringLiteral("編集設定"));
        QCOMPARE(sheet->page(2)->windowTitle(), QStringLiteral("受信設定"));
        QVERIFY(!sheet->control(SheetIds::IDC_APPLY));
        // OK stands left of Cancel, both at the right end.
        QVERIFY(sheet->control(IDOK)->x() < sheet->control(IDCANCEL)->x());
        sheet->setCurrentPage(2);
        QCOMPARE(sheet->page(2)->item<UpDownControl>(CommonFetchIds::IDC_PORT_SPIN)->upper(),
                 65535);
        for (int spin : {IDC_PORT_SPIN, IDC_REDIAL_SPIN, IDC_INTERVAL_SPIN}) {
            const auto *upDown = sendPage(*sheet).item<UpDownControl>(spin);
            QCOMPARE(upDown->lower(), 0);
            QCOMPARE(upDown->upper(), 65535);
        }
    }

    void rulesFollowModeDialUpAndEdition_data()
    {
        QTest::addColumn<quint32>("useQuillon");
        QTest::addColumn<quint32>("dialUp");
        QTest::addColumn<quint32>("edition");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QList<int>>("enabled");
        QTest::addColumn<QList<int>>("disabled");
        QTest::addColumn<QString>("label");
        const QString qsend = QStringLiteral("使用する Qsend.exe");
        const QString quillon = QStringLiteral("使用する Quillon.exe");
        QTest::newRow("own SMTP") << 0u << 0u << 0u << QList<int>()
                                  << kSmtpFields + QList<int>{IDC_DIALUP}
                                  << kCompanionFields + QList<int>{IDC_ENTRY} << qsend;
        QTest::newRow("own SMTP, the stored edition named")
            << 0u << 0u << 1u << QList<int>() << kSmtpFields << kCompanionFields << quillon;
        QTest::newRow("ticking dial-up") << 0u << 0u << 0u << QList<int>{IDC_DIALUP}
                                         << kSmtpFields + kDialUpGroup << kCompanionFields << qsend;
        QTest::newRow("switching to Quillon")
            << 0u << 1u << 0u << QList<int>{IDC_QUILLON} << kCompanionFields
            << kSmtpFields + kDialUpGroup << qsend;
        QTest::newRow("32bit") << 0u << 0u << 0u << QList<int>{IDC_QUILLON, IDC_EDITION_32}
                               << kCompanionFields << kSmtpFields << quillon;
        QTest::newRow("16bit again")
            << 0u << 0u << 0u << QList<int>{IDC_QUILLON, IDC_EDITION_32, IDC_EDITION_16}
            << kCompanionFields << kSmtpFields << qsend;
        QTest::newRow("back to own SMTP keeps the label and dial-up")
            << 0u << 1u << 0u << QList<int>{IDC_QUILLON, IDC_EDITION_32, IDC_OWN_SMTP}
            << kSmtpFields + kDialUpGroup << kCompanionFields << quillon;
        QTest::newRow("a stored mode past 1 is the companion")
            << 2u << 1u << 0u << QList<int>() << kCompanionFields << kSmtpFields + kDialUpGroup
            << qsend;
    }

    void rulesFollowModeDialUpAndEdition()
    {
        QFETCH(quint32, useQuillon);
        QFETCH(quint32, dialUp);
        QFETCH(quint32, edition);
        QFETCH(QList<int>, clicks);
        QFETCH(QList<int>, enabled);
        QFETCH(QList<int>, disabled);
        QFETCH(QString, label);
        CommonSettings settings;
        settings.UseQuillon = useQuillon;
        settings.DialUp = dialUp;
        settings.QuillonType = edition;
        auto sheet = openSheet(settings);
        TemplatePage &page = sendPage(*sheet);
        for (int id : std::as_const(clicks))
            page.press(id);
        for (int id : std::as_const(enabled))
            QVERIFY2(page.isEnabled(id), qPrintable(QString::number(id)));
        for (int id : std::as_const(disabled))
            QVERIFY2(!page.isEnabled(id), qPrintable(QString::number(id)));
        QCOMPARE(page.text(IDC_PROGRAM_LABEL), label);
        // The redial fields follow dial-up but are never shown; the port's
        // arrows and the mode radios are always usable.
        const bool dialUpOn = page.isEnabled(IDC_ENTRY);
        for (int id : kRedialControls) {
            QVERIFY(!page.control(id)->isVisible());
            if (id != IDC_REDIAL_LABEL && id != IDC_INTERVAL_LABEL)
                QCOMPARE(page.isEnabled(id), dialUpOn);
        }
        // The keyring holds the lists' passwords too, in either mode.
        for (int id : {IDC_PORT_SPIN, IDC_OWN_SMTP, IDC_QUILLON, IDC_KEYRING})
            QVERIFY(page.isEnabled(id));
    }

    void browsingKeepsTypedFieldsAndTheCurrentDirectory()
    {
        const QString oldFolder = path(QStringLiteral("old"));
        const QString newFolder = path(QStringLiteral("new"));
        QVERIFY(QDir().mkpath(oldFolder) && QDir().mkpath(newFolder));
        CommonSettings settings;
        settings.MailSavePath = oldFolder.toLocal8Bit();
        settings.Qsend = "/opt/quillon/qsend";
        settings.Editer = "vi";
        const QString cwd = QDir::currentPath();
        auto sheet = openSheet(settings);
        TemplatePage &page = sendPage(*sheet);
        page.setText(IDC_SERVER, QStringLiteral("typed.example.org"));

        m_ui.folderAnswers = {std::nullopt, newFolder};
        page.press(IDC_FOLDER_BROWSE); // cancelled: the field stays
        QCOMPARE(page.text(IDC_FOLDER), oldFolder);
        page.press(IDC_FOLDER_BROWSE);
        QCOMPARE(page.text(IDC_FOLDER), newFolder);
        const QList<FakeUiServices::Question> folders = m_ui.askedOf(Kind::Folder);
        QCOMPARE(folders.size(), 2);
        QCOMPARE(folders[0].caption, QStringLiteral("ﾌｫﾙﾀﾞの選択"));
        QCOMPARE(folders[0].startFolder, oldFolder);

        m_ui.fileAnswers = {QStringLiteral("/opt/quillon/quillon"), QStringLiteral("/usr/bin/ed")};
        page.press(IDC_QUILLON);
        page.press(IDC_PROGRAM_BROWSE);
        QCOMPARE(page.text(IDC_PROGRAM), QStringLiteral("/opt/quillon/quillon"));
        QVERIFY(sheet->setCurrentPage(1));
        sheet->page(1)->press(CommonEditIds::IDC_EDITOR_BROWSE);
        QCOMPARE(sheet->page(1)->text(CommonEditIds::IDC_EDITOR), QStringLiteral("/usr/bin/ed"));
        const QList<FakeUiServices::Question> files = m_ui.askedOf(Kind::OpenFile);
        QCOMPARE(files.size(), 2);
        QCOMPARE(files[0].file.initialName, QStringLiteral("/opt/quillon/qsend"));
        QCOMPARE(files[1].file.initialName, QStringLiteral("vi"));
        for (const FakeUiServices::Question &file : files) {
            QCOMPARE(file.file.defaultExtension, QString()); // programs have none here
            QCOMPARE(file.file.filterList, QString());
            QCOMPARE(file.file.flags, FileDialogFlags(FileDialogFlag::HideReadOnly));
        }

        sheet->press(IDOK);
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
        QCOMPARE(sheet->m_settings.Server, QByteArray("typed.example.org"));
        QCOMPARE(sheet->m_settings.MailSavePath, newFolder.toLocal8Bit());
        QCOMPARE(sheet->m_settings.Qsend, QByteArray("/opt/quillon/quillon"));
        QCOMPARE(sheet->m_settings.Editer, QByteArray("/usr/bin/ed"));
        QCOMPARE(QDir::currentPath(), cwd);
        QCOMPARE(m_ui.unanswered, 0);
    }

    void connectionNamesAreSortedAndAStoredEntryIsKept_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QString>("pick"); // empty: the owner picks nothing
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QByteArray>("stored");
        const QStringList names = {QStringLiteral("office"), QStringLiteral("Home DSL"),
                                   QStringLiteral("mobile")};
        const QStringList sorted = {QStringLiteral("Home DSL"), QStringLiteral("mobile"),
                                    QStringLiteral("office")};
        QTest::newRow("sorted, the first beginning with the entry")
            << names << QByteArray("home") << QString() << sorted << QStringLiteral("Home DSL")
            << QByteArray("Home DSL");
        QTest::newRow("an entry no longer listed is shown and kept")
            << names << QByteArray("Old ISP") << QString()
            << QStringList{QStringLiteral("Home DSL"), QStringLiteral("mobile"),
                           QStringLiteral("office"), QStringLiteral("Old ISP")}
            << QStringLiteral("Old ISP") << QByteArray("Old ISP");
        QTest::newRow("until the owner picks another")
            << names << QByteArray("Old ISP") << QStringLiteral("mobile")
            << QStringList{QStringLiteral("Home DSL"), QStringLiteral("mobile"),
                           QStringLiteral("office"), QStringLiteral("Old ISP")}
            << QStringLiteral("Old ISP") << QByteArray("mobile");
        QTest::newRow("no names without a bus, the entry kept")
            << QStringList() << QByteArray("\x83\x82\x83\x66\x83\x80") // Shift-JIS
            << QString() << QStringList{QString::fromLocal8Bit("\x83\x82\x83\x66\x83\x80")}
            << QString::fromLocal8Bit("\x83\x82\x83\x66\x83\x80")
            << QByteArray("\x83\x82\x83\x66\x83\x80");
        QTest::newRow("no entry selects nothing")
            << names << QByteArray() << QString() << sorted << QString() << QByteArray();
    }

    void connectionNamesAreSortedAndAStoredEntryIsKept()
    {
        QFETCH(QStringList, names);
        QFETCH(QByteArray, entry);
        QFETCH(QString, pick);
        QFETCH(QStringList, shown);
        QFETCH(QString, selected);
        QFETCH(QByteArray, stored);
        CommonSettings settings;
        settings.DialUp = 1;
        settings.Entry = entry;
        auto sheet = openSheet(settings, names);
        TemplatePage &page = sendPage(*sheet);
        auto *list = page.item<QComboBox>(IDC_ENTRY);
        QCOMPARE(entries(page), shown);
        QCOMPARE(list->currentIndex() < 0 ? QString() : list->currentText(), selected);
        if (!pick.isEmpty())
            list->setCurrentIndex(list->findText(pick));
        sheet->press(IDOK);
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
        QCOMPARE(sheet->m_settings.Entry, stored);
    }

    void aModeOrEditionNoRadioStandsForIsKept()
    {
        CommonSettings settings;
        settings.UseQuillon = 7;
        settings.QuillonType = 9;
        auto sheet = openSheet(settings, {});
        sheet->press(IDOK);
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
        QCOMPARE(sheet->m_settings.UseQuillon, 7u);
        QCOMPARE(sheet->m_settings.QuillonType, 9u);
    }

    // A store without SmtpSecurity shows what sending derives from it; OK
    // writes the choice shown or picked.
    void connectionSecurityShowsTheDerivedChoice_data()
    {
        QTest::addColumn<quint32>("port");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("taken");
        QTest::newRow("absent, no user") << 25u << QByteArray() << QByteArray() << -1
                                         << QStringLiteral("なし") << QByteArray("none");
        QTest::newRow("absent, a user") << 587u << QByteArray("owner") << QByteArray() << -1
                                        << QStringLiteral("STARTTLS") << QByteArray("starttls");
        QTest::newRow("absent, port 465") << 465u << QByteArray() << QByteArray() << -1
                                          << QStringLiteral("SSL/TLS") << QByteArray("tls");
        QTest::newRow("stored none with a user")
            << 587u << QByteArray("owner") << QByteArray("none") << -1 << QStringLiteral("なし")
            << QByteArray("none");
        QTest::newRow("an unknown stored value is derived")
            << 25u << QByteArray("owner") << QByteArray("ssl") << -1 << QStringLiteral("STARTTLS")
            << QByteArray("starttls");
        QTest::newRow("picked") << 25u << QByteArray() << QByteArray() << 2
                                << QStringLiteral("なし") << QByteArray("tls");
    }
    void connectionSecurityShowsTheDerivedChoice()
    {
        QFETCH(quint32, port);
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, stored);
        QFETCH(int, pick);
        QFETCH(QString, shown);
        QFETCH(QByteArray, taken);
        CommonSettings settings;
        settings.PortNo = port;
        settings.UserName = user;
        settings.SmtpSecurity = stored;
        auto sheet = openSheet(settings);
        auto *list = sendPage(*sheet).item<QComboBox>(IDC_SECURITY);
        QCOMPARE(list->currentText(), shown);
        if (pick >= 0)
            list->setCurrentIndex(pick);
        sheet->press(IDOK);
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
        QCOMPARE(sheet->m_settings.SmtpSecurity, taken);
    }

    void aMissingOutgoingFolderIsOfferedOnOk_data()
    {
        QTest::addColumn<QString>("folder"); // under the test's folder
        QTest::addColumn<DialogAnswer>("answer");
        QTest::addColumn<bool>("created");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("created with the folders above it")
            << "new/out" << DialogAnswer::Yes << true << true;
        QTest::newRow("declined: the text is kept")
            << "new/out" << DialogAnswer::No << false << true;
        QTest::newRow("cannot be created: the sheet stays on the field")
            << "plain-file/out" << DialogAnswer::Yes << false << false;
    }

    void aMissingOutgoingFolderIsOfferedOnOk()
    {
        QFETCH(QString, folder);
        QFETCH(DialogAnswer, answer);
        QFETCH(bool, created);
        QFETCH(bool, accepted);
        QVERIFY(writeFile(path(QStringLiteral("plain-file")), "not a folder"));
        const QString wanted = path(folder);
        CommonSettings settings;
        settings.MailSavePath = wanted.toLocal8Bit();
        auto sheet = openSheet(settings);
        QVERIFY(sheet->setCurrentPage(1)); // the refusal turns back to the field's page
        m_ui.messageAnswers = {answer};
        sheet->press(IDOK);
        const QList<FakeUiServices::Question> asked = m_ui.askedOf(Kind::Message);
        QVERIFY(asked.size() >= 1);
        QCOMPARE(asked[0].buttons, MessageButtons::YesNo);
        QVERIFY(asked[0].text.contains(wanted));
        QCOMPARE(QFileInfo(wanted).isDir(), created);
        if (created)
            QCOMPARE(QFileInfo(wanted).permissions() & 0x7777, QFile::Permissions(0x7700));
        QCOMPARE(sheet->result() == QDialog::Accepted, accepted);
        QCOMPARE(sheet->m_settings.MailSavePath, wanted.toLocal8Bit());
        if (!accepted) {
            QCOMPARE(asked.size(), 2);
            QCOMPARE(asked[1].icon, MessageIcon::Stop);
            QCOMPARE(sheet->currentPage(), 0);
            QCOMPARE(sheet->focusWidget(), sendPage(*sheet).control(IDC_FOLDER));
        }
        // An existing folder is not asked about.
        m_ui.asked.clear();
        QVERIFY(sheet->setCurrentPage(0));
        sendPage(*sheet).setText(IDC_FOLDER, m_dir->path());
        sheet->press(IDOK);
        QVERIFY(m_ui.askedOf(Kind::Message).isEmpty());
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
    }

    void integerFieldsRefuseOkAndTheStoreIsUntouched_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("negative") << QStringLiteral("-1");
        QTest::newRow("empty") << QString();
    }

    void integerFieldsRefuseOkAndTheStoreIsUntouched()
    {
        QFETCH(QString, port);
        CommonSettings before;
        before.Server = "smtp.example.org";
        QVERIFY(SaveCommonSettings(before));
        const QByteArray bytes = readFile(storeFile());
        CTavelinDlg window(m_ui, {QStringLiteral("tavelin")});
        window.show();
        bool refused = false;
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            auto &sheet = static_cast<CCommonSheet &>(dialog);
            sheet.show();
            sendPage(sheet).setText(IDC_SERVER, QStringLiteral("other.example.org"));
            sendPage(sheet).setText(IDC_PORT, port);
            sheet.press(IDOK);
            refused = sheet.isVisible() && sheet.currentPage() == 0 &&
                      sheet.focusWidget() == sendPage(sheet).control(IDC_PORT);
            return DialogAnswer::Cancel;
        }};
        window.press(MainIds::IDC_COMMON);
        QVERIFY(refused);
        const QList<FakeUiServices::Question> asked = m_ui.askedOf(Kind::Message);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("正の整数を入力してください。"));
        QCOMPARE(readFile(storeFile()), bytes);
        QCOMPARE(window.commonSettings().Server, QByteArray("smtp.example.org"));
    }

    void okStoresAllSeventeenValuesForTheNextProcess()
    {
        // A folder with two queued mails, which the window counts at once.
        const QString folder = path(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(folder));
        for (const char *name : {"tvl1.tmp", "tvl2.tmp"})
            QVERIFY(writeFile(folder + QLatin1Char('/') + QLatin1String(name), "To: x\r\n"));
        CommonSettings before;
        before.Entry = "Old ISP"; // no connection is listed: the entry is kept
        QVERIFY(SaveCommonSettings(before));
        CTavelinDlg window(m_ui, {QStringLiteral("tavelin")});
        window.show();
        QCOMPARE(window.queuedCount(), 0u);
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            auto &sheet = static_cast<CCommonSheet &>(dialog);
            TemplatePage &page = sendPage(sheet);
            const QList<std::pair<int, const char *>> typed = {
                {IDC_SERVER, "smtp.example.org"},
                {IDC_TIMEZONE, "+0100"},
                {IDC_USERNAME, "owner"},
                {IDC_PORT, " 587 "},
                {IDC_PASSWORD, "pass word"},
                {IDC_ADDRESS, "owner@example.org"},
                {IDC_REDIAL, "5"},
                {IDC_INTERVAL, "30"},
                {IDC_PROGRAM, "/opt/quillon/quillon"}};
            for (const auto &[id, text] : typed)
                page.setText(id, QString::fromUtf8(text));
            page.setText(IDC_FOLDER, folder);
            for (int id :
                 {IDC_SAVE_MAIL, IDC_DIALUP, IDC_QUILLON, IDC_EDITION_32, IDC_NO_SIGNATURE})
                page.press(id);
            sheet.setCurrentPage(1);
            sheet.page(1)->setText(CommonEditIds::IDC_EDITOR, QStringLiteral("emacs"));
            sheet.setCurrentPage(2);
            TemplatePage &fetch = *sheet.page(2);
            fetch.setText(CommonFetchIds::IDC_SERVER, QStringLiteral("imap.example.org"));
            fetch.setText(CommonFetchIds::IDC_PORT, QStringLiteral("143"));
            fetch.press(CommonFetchIds::IDC_STARTTLS);
            fetch.setText(CommonFetchIds::IDC_USERNAME, QStringLiteral("owner"));
            fetch.setText(CommonFetchIds::IDC_PASSWORD, QStringLiteral("imap pass"));
            fetch.setText(CommonFetchIds::IDC_MOVETO, QStringLiteral("Tavelin/済み"));
            return DialogAnswer::Ok;
        }};
        window.press(MainIds::IDC_COMMON);
        QCOMPARE(window.queuedCount(), 2u);
        QCOMPARE(window.text(MainIds::IDC_COUNT), QStringLiteral("2"));

        const CliRun run = runCli({QStringLiteral("settings")}, m_dir->path());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.split('\n').mid(0, 17),
                 QByteArrayList({"UseQuillon=1", "Server=smtp.example.org", "TimeZone=+0100",
                                 "UserName=owner", "PortNo=587", "Password=(set)",
                                 "Address=owner@example.org",
                                 "MailSavePath=" + folder.toLocal8Bit(), "SaveMail=1", "DialUp=1",
                                 "Entry=Old ISP", "Redial=5", "Interval=30", "QuillonType=1",
                                 "NoSignature=1", "Qsend=/opt/quillon/quillon", "Editer=emacs"}));
        QByteArrayList imapLines;
        for (const QByteArray &line : run.out.split('\n')) {
            if (line.startsWith("Imap"))
                imapLines.append(line);
        }
        QCOMPARE(imapLines,
                 QByteArrayList({"ImapServer=imap.example.org", "ImapPort=143", "ImapSecurity=1",
                                 "ImapUserName=owner", "ImapPassword=(set)", "ImapFolder=INBOX",
                                 "ImapMoveTo=Tavelin/済み"}));
        CAppRegistry store;
        CommonSettings stored;
        LoadCommonSettings(store, stored);
        QCOMPARE(stored.Password, QByteArray("pass word"));

        // Cancel writes nothing, whatever was changed.
        const QByteArray bytes = readFile(storeFile());
        m_ui.dialogScripts = {[](QDialog &dialog) {
            sendPage(static_cast<CCommonSheet &>(dialog)).setText(IDC_SERVER, QStringLiteral("x"));
            return DialogAnswer::Cancel;
        }};
        window.press(MainIds::IDC_COMMON);
        QCOMPARE(readFile(storeFile()), bytes);
        QCOMPARE(window.commonSettings().Server, QByteArray("smtp.example.org"));
        QCOMPARE(m_ui.unanswered, 0);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
