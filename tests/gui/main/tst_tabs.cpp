// The command tabs of the main window, the queue dialog and the mail
// selection, on the real store, outgoing folder and composer in a temporary
// folder, with scripted answers for every question.
#include "CliRun.h"
#include "WindowFixture.h"
#include "commands/CommandTable.h"
#include "commands/OutgoingFolder.h"
#include "commands/Roster.h"
#include "dialogs/MailSelectDlg.h"
#include "dialogs/QueuedMailDlg.h"
#include "dialogs/ReplyResultsDlg.h"
#include "dialogs/RosterDlg.h"
#include "main/TavelinDlg.h"
#include "store/SettingsStore.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTabWidget>
#include <QTest>

#include <sys/stat.h>

using namespace MainIds;
using Kind = FakeUiServices::Kind;
namespace Q = QueuedMailIds;

namespace {

QStringList subjects(const QListWidget *list)
{
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown.append(list->item(i)->text());
    return shown;
}

} // namespace

class TestTabs : public QObject, WindowFixture
{
    Q_OBJECT

private:
    QString outgoing() const { return path(QStringLiteral("out")); }

    // One list "photo" (and "garden"), its info file, intro and config in the
    // test's folder, and an outgoing folder holding `queued` mails.
    std::unique_ptr<CTavelinDlg> open(int queued = 0, const QByteArray &editor = "true")
    {
        MailingListEntry photo;
        photo.Title = "photo";
        photo.Address = "majordomo@example.org";
        photo.ListName = "photo";
        photo.Passwd = "secret";
        photo.InfoFile = path(QStringLiteral("photo.info")).toLocal8Bit();
        photo.IntroFile = path(QStringLiteral("photo.intro")).toLocal8Bit();
        photo.ConfigFile = path(QStringLiteral("photo.conf")).toLocal8Bit();
        MailingListEntry garden = photo;
        garden.Title = "garden";
        garden.InfoFile.clear();
        SaveRegister({garden, photo});
        writeFile(path(QStringLiteral("photo.info")), "About photo\r\n");
        writeFile(path(QStringLiteral("photo.intro")), "Welcome\r\n");
        writeFile(path(QStringLiteral("photo.conf")), "admin_passwd = secret\r\n");
        CommonSettings settings;
        settings.MailSavePath = outgoing().toLocal8Bit();
        settings.Address = "owner@example.net";
        settings.Editer = editor;
        SaveCommonSettings(settings);
        QDir().mkpath(outgoing());
        for (int i = 0; i < queued; ++i)
            writeFile(
                OutgoingFolder::QueuedPath(outgoing(), QStringLiteral("tvl%1.TMP").arg(i + 1)),
                "Subject: mail " + QByteArray::number(i) + "\r\n");
        auto window = std::make_unique<CTavelinDlg>(m_ui, QStringList{QStringLiteral("tavelin")});
        window->show();
        window->SelectList(1); // photo
        return window;
    }

    static void selectTab(CTavelinDlg &window, int tab)
    {
        window.item<QTabWidget>(IDC_TAB)->setCurrentIndex(tab);
    }

    // Types at the end of the field's text.
    static void type(CTavelinDlg &window, const QString &text)
    {
        window.item<QLineEdit>(IDC_ARGUMENT)->setFocus();
        QTest::keyClick(window.item<QLineEdit>(IDC_ARGUMENT), Qt::Key_End);
        QTest::keyClicks(window.item<QLineEdit>(IDC_ARGUMENT), text);
    }

private Q_SLOTS:
    void init() { QVERIFY(startWindowTest()); }

    void everyTabAppliesItsRow()
    {
        auto window = open();
        const MailingListEntry &photo = window->lists().at(1);
        // From the last tab down, so every tab is entered by a real change.
        for (int index = 7; index >= 0; --index) {
            selectTab(*window, index);
            const CommandTab &tab = commandTabs()[index];
            const QByteArray where = tab.label;
            QCOMPARE(window->text(IDC_LABEL), QString::fromUtf8(tab.fieldLabel));
            QVERIFY2(window->isShown(IDC_ARGUMENT) == tab.fieldShown, where);
            QVERIFY2(window->isShown(IDC_EXTRACT) == tab.extractShown, where);
            QVERIFY2(window->isShown(IDC_EDIT) == tab.editShown, where);
            QVERIFY2(window->isShown(IDC_BROWSE) == tab.browseShown, where);
            QVERIFY2(window->isShown(IDC_ROSTER) == tab.rosterShown, where);
            // A reply of the list server is taken on every tab.
            QVERIFY2(window->acceptDrops(), where);
            const QString field = tab.file ? QString::fromLocal8Bit(photo.*tab.file) : QString();
            QCOMPARE(window->text(IDC_ARGUMENT), field);
            QVERIFY2(window->isEnabled(IDC_CREATE) == (tab.create != CreateRule::AfterTyping),
                     where);
        }
    }

    void theFieldBelongsToTheTabAndTheFileTabsToTheList()
    {
        auto window = open();
        selectTab(*window, 4);
        selectTab(*window, 0);
        QCOMPARE(window->text(IDC_ARGUMENT), QString());
        QVERIFY(!window->isEnabled(IDC_CREATE));
        type(*window, QStringLiteral("a"));
        QVERIFY(window->isEnabled(IDC_CREATE));
        // Tabs 3 and 6 need no field: create at once, field hidden.
        for (int tab : {3, 6}) {
            selectTab(*window, 0);
            type(*window, QStringLiteral("x@example.org"));
            selectTab(*window, tab);
            QVERIFY(window->isEnabled(IDC_CREATE) && !window->isShown(IDC_ARGUMENT));
            // Another list keeps it so.
            window->SelectList(0);
            QVERIFY(window->isEnabled(IDC_CREATE) && !window->isShown(IDC_ARGUMENT));
            window->SelectList(1);
        }

        // garden has no info file: empty field, create disabled until typed.
        window->press(IDC_SAVE);
        window->SelectList(0);
        selectTab(*window, 4);
        QCOMPARE(window->text(IDC_ARGUMENT), QString());
        QVERIFY(!window->isEnabled(IDC_CREATE));
        QVERIFY(!window->isDirty());
        type(*window, QStringLiteral("/g.info"));
        QVERIFY(window->isEnabled(IDC_CREATE) && window->isDirty());
        QCOMPARE(window->lists().at(0).InfoFile, QByteArray("/g.info"));
        // Selecting photo shows photo's file, and typing edits photo's only.
        window->SelectList(1);
        QCOMPARE(window->text(IDC_ARGUMENT), path(QStringLiteral("photo.info")));
        type(*window, QStringLiteral("2"));
        QCOMPARE(window->lists().at(1).InfoFile,
                 (path(QStringLiteral("photo.info")) + "2").toLocal8Bit());
        QCOMPARE(window->lists().at(0).InfoFile, QByteArray("/g.info"));
    }

    void browseSetsTheTabsFileOnOkOnly_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("info, OK") << 4 << true;
        QTest::newRow("intro, cancelled") << 5 << false;
        QTest::newRow("config, OK") << 7 << true;
    }

    void browseSetsTheTabsFileOnOkOnly()
    {
        QFETCH(int, tab);
        QFETCH(bool, chosen);
        auto window = open();
        selectTab(*window, tab);
        window->press(IDC_SAVE);
        const QString before = window->text(IDC_ARGUMENT);
        const QString picked = path(QStringLiteral("picked.file"));
        m_ui.fileAnswers = {chosen ? std::optional(picked) : std::nullopt};
        window->press(IDC_BROWSE);
        const FileDialogRequest asked = m_ui.askedOf(Kind::OpenFile).at(0).file;
        QCOMPARE(asked.initialName, before);
        QCOMPARE(asked.defaultExtension, QString::fromUtf8(commandTabs()[tab].browseExtension));
        QCOMPARE(asked.filterList, QString::fromUtf8(commandTabs()[tab].browseFilter));
        QCOMPARE(asked.flags, FileDialogFlag::HideReadOnly | FileDialogFlag::OverwritePrompt);
        QCOMPARE(window->text(IDC_ARGUMENT), chosen ? picked : before);
        QCOMPARE(window->isDirty(), chosen);
        QCOMPARE(window->lists().at(1).*commandTabs()[tab].file,
                 (chosen ? picked : before).toLocal8Bit());
    }

    void createQueuesTheMailTheCliComposes_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("typed");
        QTest::newRow("0") << 0 << QStringLiteral("a@example.org, b@example.org");
        QTest::newRow("1") << 1 << QStringLiteral("new@example.org");
        QTest::newRow("2") << 2 << QStringLiteral("newpass");
        QTest::newRow("3") << 3 << QString();
        QTest::newRow("4") << 4 << QString();
        QTest::newRow("5") << 5 << QString();
        QTest::newRow("6") << 6 << QString();
        QTest::newRow("7") << 7 << QString();
    }

    void createQueuesTheMailTheCliComposes()
    {
        QFETCH(int, tab);
        QFETCH(QString, typed);
        auto window = open(2);
        selectTab(*window, tab);
        if (!typed.isEmpty())
            type(*window, typed);
        m_ui.messageAnswers = {DialogAnswer::Ok};
        window->press(IDC_CREATE);
        QCOMPARE(window->queuedCount(), 3u);
        QCOMPARE(window->text(IDC_COUNT), QStringLiteral("3"));
        // The password change says once that the config keeps the old one.
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), tab == 2 ? 1 : 0);

        QStringList byWindow = OutgoingFolder::ListQueued(outgoing());
        byWindow.removeAll(QStringLiteral("tvl1.TMP"));
        byWindow.removeAll(QStringLiteral("tvl2.TMP"));
        QStringList args{QStringLiteral("compose"), QString::number(tab), QStringLiteral("--list"),
                         QStringLiteral("photo")};
        if (!typed.isEmpty())
            args << QStringLiteral("--arg") << typed;
        const CliRun cli = runCli(args, m_dir->path());
        QCOMPARE(cli.status, 0);
        const QString byCli = QString::fromLocal8Bit(cli.out.trimmed());
        QCOMPARE(byWindow.size(), 1);
        QCOMPARE(withoutDate(readFile(OutgoingFolder::QueuedPath(outgoing(), byWindow[0]))),
                 withoutDate(readFile(byCli)));
    }

    void aRefusedMailIsSaidAndNothingIsQueued()
    {
        auto window = open(1);
        selectTab(*window, 4);
        QFile::remove(path(QStringLiteral("photo.info")));
        m_ui.messageAnswers = {DialogAnswer::Ok};
        window->press(IDC_CREATE);
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), 1);
        QCOMPARE(window->queuedCount(), 1u);
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 1);
    }

    void queueDialogDeletesAndMovesTheSelection()
    {
        auto window = open();
        for (const char *subject : {"who photo", "config photo", "unsubscribe photo x"})
            OutgoingFolder::WriteQueuedFile(outgoing(), [subject](QIODevice &file) {
                return file.write(QByteArray("To: x\r\nSubject: ") + subject + "\r\n") > 0;
            });
        window->RecountQueued();
        const QString added = OutgoingFolder::QueuedPath(outgoing(), QStringLiteral("tvlFFFF.TMP"));
        QStringList shownAtOpen;
        QStringList afterEach;
        bool buttonsLeft = true;
        m_ui.dialogScripts = {
            // Closed without deleting: the count is not taken again.
            [&](QDialog &dialog) {
                auto &queue = static_cast<CQueuedMailDlg &>(dialog);
                auto *list = queue.item<QListWidget>(Q::IDC_MAILS);
                shownAtOpen = subjects(list);
                list->setCurrentRow(1);
                m_ui.messageAnswers = {DialogAnswer::Cancel};
                queue.press(Q::IDC_DELETE);
                writeFile(added, "Subject: from elsewhere\r\n");
                return DialogAnswer::Ok;
            },
            [&](QDialog &dialog) {
                auto &queue = static_cast<CQueuedMailDlg &>(dialog);
                auto *list = queue.item<QListWidget>(Q::IDC_MAILS);
                m_ui.messageAnswers = {DialogAnswer::Ok, DialogAnswer::Ok, DialogAnswer::Ok};
                list->setCurrentRow(1); // the middle one
                for (int i = 0; i < 3; ++i) {
                    queue.press(Q::IDC_DELETE);
                    afterEach.append(list->currentItem() ? list->currentItem()->text()
                                                         : QStringLiteral("-"));
                }
                buttonsLeft = queue.isEnabled(Q::IDC_EDIT) || queue.isEnabled(Q::IDC_DELETE);
                return DialogAnswer::Ok;
            },
        };
        window->press(IDC_QUEUE);
        QCOMPARE(shownAtOpen, (QStringList{"config photo", "unsubscribe photo x", "who photo"}));
        QCOMPARE(m_ui.askedOf(Kind::Message).at(0).text,
                 QStringLiteral("unsubscribe photo xを削除していいですか"));
        QCOMPARE(m_ui.askedOf(Kind::Message).at(0).caption, QStringLiteral("ﾒｰﾙ削除"));
        QCOMPARE(window->queuedCount(), 3u);
        QVERIFY(QFile::remove(added));

        // The middle one, then the last one, then the only one.
        window->press(IDC_QUEUE);
        QCOMPARE(afterEach, (QStringList{"who photo", "config photo", "-"}));
        QVERIFY(!buttonsLeft);
        QCOMPARE(window->queuedCount(), 0u);
        QVERIFY(!window->isEnabled(IDC_QUEUE) && !window->isEnabled(IDC_SENDALL));
    }

    void queueDialogActsOnTheSelectionOnly()
    {
        // An editor that cannot start says so: every act on a mail asks something.
        auto window = open(2, "/nonexistent/editor");
        int currentAtOpen = -1;
        qsizetype askedUnselected = -1;
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            auto &queue = static_cast<CQueuedMailDlg &>(dialog);
            auto *list = queue.item<QListWidget>(Q::IDC_MAILS);
            // Shown, the list takes the focus and makes its first row current.
            queue.show();
            QApplication::setActiveWindow(&queue);
            if (!QTest::qWaitForWindowActive(&queue))
                return DialogAnswer::Cancel;
            currentAtOpen = list->currentRow();
            m_ui.messageAnswers = {DialogAnswer::Ok, DialogAnswer::Ok};
            queue.press(Q::IDC_DELETE);
            queue.press(Q::IDC_EDIT);
            // Chosen, then let go again (Ctrl+click): nothing is selected.
            list->setCurrentRow(1);
            list->item(1)->setSelected(false);
            queue.press(Q::IDC_DELETE);
            askedUnselected = m_ui.askedOf(Kind::Message).size();
            list->setCurrentRow(1);
            queue.press(Q::IDC_DELETE);
            return DialogAnswer::Ok;
        }};
        window->press(IDC_QUEUE);
        QCOMPARE(currentAtOpen, 0);
        QCOMPARE(askedUnselected, 0);
        const QList<FakeUiServices::Question> asked = m_ui.askedOf(Kind::Message);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("mail 1を削除していいですか"));
        QCOMPARE(window->queuedCount(), 1u);
    }

    void aMailThatCannotBeDeletedStaysListedAndTheOwnerLearnsWhy()
    {
        auto window = open(2);
        const QString stuck = OutgoingFolder::QueuedPath(outgoing(), QStringLiteral("tvl1.TMP"));
        QStringList shown;
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            auto &queue = static_cast<CQueuedMailDlg &>(dialog);
            auto *list = queue.item<QListWidget>(Q::IDC_MAILS);
            // Its file became a folder that is not empty: no unlink removes it.
            QFile::remove(stuck);
            QDir().mkpath(stuck + QStringLiteral("/inside"));
            m_ui.messageAnswers = {DialogAnswer::Ok, DialogAnswer::Ok};
            list->setCurrentRow(0); // "mail 0", tvl1
            queue.press(Q::IDC_DELETE);
            shown = subjects(list);
            return DialogAnswer::Ok;
        }};
        window->press(IDC_QUEUE);
        QCOMPARE(shown, (QStringList{"mail 0", "mail 1"}));
        const QList<FakeUiServices::Question> asked = m_ui.askedOf(Kind::Message);
        QCOMPARE(asked.size(), 2);
        QVERIFY2(asked[1].text.startsWith(stuck + QStringLiteral(": ")), qPrintable(asked[1].text));
        QCOMPARE(asked[1].caption, QStringLiteral("ﾒｰﾙ削除"));
        QCOMPARE(asked[1].icon, MessageIcon::Stop);
        QCOMPARE(window->queuedCount(), 2u);
    }

    void queueDialogNeverOpensWhatIsNoPlainFile()
    {
        auto window = open(1);
        const QString fifo = OutgoingFolder::QueuedPath(outgoing(), QStringLiteral("tvlF.tmp"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(
            QFile::link(fifo, OutgoingFolder::QueuedPath(outgoing(), QStringLiteral("tvlL.tmp"))));
        QVERIFY(QDir().mkpath(OutgoingFolder::QueuedPath(outgoing(), QStringLiteral("tvlD.tmp"))));
        FifoWatchdog watchdog(fifo);
        QStringList shown;
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            shown = subjects(
                static_cast<CQueuedMailDlg &>(dialog).item<QListWidget>(QueuedMailIds::IDC_MAILS));
            return DialogAnswer::Ok;
        }};
        window->press(IDC_QUEUE);
        watchdog.finish();
        QVERIFY(!watchdog.freed());
        QCOMPARE(shown, QStringList{"mail 0"});
    }

    void mailSelectionExtractsOnOk_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QByteArray>("mail");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("field");
        QTest::newRow("bounce") << 0
                                << QByteArray("The following addresses had permanent fatal "
                                              "errors\r\n<a@x.org>\r\n<b@x.org>\r\n\r\n")
                                << true << QStringLiteral("a@x.org,b@x.org");
        QTest::newRow("request to join")
            << 1 << QByteArray("From: New <new@x.org>\r\n\r\nplease\r\n") << true
            << QStringLiteral("new@x.org");
        QTest::newRow("no address") << 0 << QByteArray("hello\r\n") << true << QString();
        QTest::newRow("cancelled")
            << 0 << QByteArray("hello\r\n") << false << QStringLiteral("typed");
    }

    void mailSelectionExtractsOnOk()
    {
        QFETCH(int, tab);
        QFETCH(QByteArray, mail);
        QFETCH(bool, ok);
        QFETCH(QString, field);
        auto window = open();
        selectTab(*window, tab);
        type(*window, QStringLiteral("typed"));
        const QString file = path(QStringLiteral("mail.eml"));
        writeFile(file, mail);
        m_ui.fileAnswers = {file};
        m_ui.messageAnswers = {DialogAnswer::Ok};
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            static_cast<TemplateDialog &>(dialog).press(MailSelectIds::IDC_BROWSE);
            return ok ? DialogAnswer::Ok : DialogAnswer::Cancel;
        }};
        window->press(IDC_EXTRACT);
        const FileDialogRequest asked = m_ui.askedOf(Kind::OpenFile).at(0).file;
        QCOMPARE(asked.filterList, QStringLiteral("Quillon16ﾌｧｲﾙ (*.qxw)|*.qxw|Quillon32ﾌｧｲﾙ "
                                                  "(*.qxl)|*.qxl|全てのﾌｧｲﾙ (*.*)|*.*||"));
        QCOMPARE(window->text(IDC_ARGUMENT), field);
        // No address found: nothing to send until the owner types one.
        QCOMPARE(window->isEnabled(IDC_CREATE), !field.isEmpty());
        const QList<FakeUiServices::Question> messages = m_ui.askedOf(Kind::Message);
        QCOMPARE(messages.size(), ok && field.isEmpty() ? 1 : 0);
        if (!messages.isEmpty())
            QCOMPARE(messages[0].text, QStringLiteral("ｱﾄﾞﾚｽを抽出できませんでした"));
    }

    void aFileDroppedOnTheMailSelectionIsTheFirstOne()
    {
        CMailSelectDlg dialog(m_ui);
        dialog.show();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path(QStringLiteral("one.eml"))),
                      QUrl::fromLocalFile(path(QStringLiteral("two.eml")))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &drop);
        QCOMPARE(dialog.text(MailSelectIds::IDC_FILE), path(QStringLiteral("one.eml")));
        dialog.press(IDOK);
        QCOMPARE(dialog.m_strFileName, path(QStringLiteral("one.eml")));
    }

    void aDroppedRealBounceFillsTheField()
    {
        if (sharedFixturesDir().isEmpty())
            QSKIP("the shared fixtures are not beside the checkout");
        auto window = open();
        window->OnDropFiles(
            {sharedFixturesDir() + QStringLiteral("/bounces/flufl__postfix_02.eml")});
        QCOMPARE(window->text(IDC_ARGUMENT), QStringLiteral("yyyyy@digicool.com"));
        QVERIFY(window->isEnabled(IDC_CREATE));
    }

    void handingOverARealConfigReplyWritesAPlainConfigOnOkOnly_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("cancelled") << false;
    }

    void handingOverARealConfigReplyWritesAPlainConfigOnOkOnly()
    {
        QFETCH(bool, ok);
        if (sharedFixturesDir().isEmpty())
            QSKIP("the shared fixtures are not beside the checkout");
        auto window = open();
        selectTab(*window, 7);
        const QString reply = sharedFixturesDir() + QStringLiteral("/majordomo/reply-config.eml");
        const QString renamed = path(QStringLiteral("new.conf"));
        const QByteArray old = readFile(path(QStringLiteral("photo.conf")));
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            static_cast<TemplateDialog &>(dialog).setText(FileRenameIds::IDC_NEWNAME, renamed);
            return ok ? DialogAnswer::Ok : DialogAnswer::Cancel;
        }};
        window->OnDropFiles({reply});
        QCOMPARE(m_ui.askedOf(Kind::Modal).at(0).templateId, int(IDD_FILERENAME));
        QVERIFY(m_ui.askedOf(Kind::Message).isEmpty());
        const QString expected = ok ? renamed : path(QStringLiteral("photo.conf"));
        QCOMPARE(window->text(IDC_ARGUMENT), expected);
        QCOMPARE(window->lists().at(1).ConfigFile, expected.toLocal8Bit());
        QCOMPARE(readFile(path(QStringLiteral("photo.conf"))), old);
        if (!ok) {
            QVERIFY(!QFileInfo::exists(renamed));
            return;
        }
        const QByteArray config = readFile(renamed);
        QVERIFY(config.startsWith("# The configuration file for a majordomo mailing list."));
        QVERIFY(config.contains("\nadmin_passwd"));
        QVERIFY(!config.contains("Majordomo results") && !config.contains(">>>>"));
    }

    void editStartsTheEditorOnInfoAndIntroAndTheSheetOnConfig()
    {
        // An editor that leaves a mark: touch creates the file it is given.
        auto window = open(0, "touch");
        const QString intro = path(QStringLiteral("photo.intro"));
        QVERIFY(QFile::remove(intro));
        selectTab(*window, 5);
        window->press(IDC_EDIT);
        for (int i = 0; i < 100 && !QFileInfo::exists(intro); ++i)
            QTest::qWait(50);
        QVERIFY(QFileInfo::exists(intro));
        // The config tab's file opens in the config editor sheet instead.
        selectTab(*window, 7);
        window->press(IDC_EDIT);
        QCOMPARE(m_ui.asked.size(), 1);
        QCOMPARE(m_ui.asked[0].kind, Kind::Modal);
        QCOMPARE(m_ui.asked[0].caption, QStringLiteral("config設定"));

        window.reset();
        m_ui = FakeUiServices();
        window = open(0, "/nonexistent/editor");
        selectTab(*window, 4);
        m_ui.messageAnswers = {DialogAnswer::Ok};
        window->press(IDC_EDIT);
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), 1);
        QCOMPARE(m_ui.askedOf(Kind::Message)[0].text,
                 QStringLiteral("/nonexistent/editor %1 の起動に失敗しました")
                     .arg(path(QStringLiteral("photo.info"))));
    }

    // A reply dropped on any tab opens its results; a failed password sends
    // the owner to the list's password field; the tab's field is untouched.
    void aDroppedReplyOpensItsResultsOnAnyTab()
    {
        auto window = open();
        // Both lists of the test are "photo" at this server: the first is sent to.
        window->SelectList(1);
        selectTab(*window, 2);
        const QString reply = path(QStringLiteral("reply.eml"));
        writeFile(reply, "From: Majordomo@example.org\nSubject: Majordomo results\n\n--\n\n"
                         ">>>> approve secret subscribe photo a@x\nSucceeded.\n"
                         ">>>> approve wrong unsubscribe photo b@x\n"
                         "**** approve: invalid list or password.\n");
        QStringList rows;
        QString note;
        QString secondText;
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            auto &results = static_cast<CReplyResultsDlg &>(dialog);
            auto *list = results.item<QListWidget>(ReplyResultsIds::IDC_COMMANDS);
            for (int i = 0; i < list->count(); ++i)
                rows.append(list->item(i)->text());
            list->setCurrentRow(1);
            secondText = results.text(ReplyResultsIds::IDC_TEXT);
            note = results.text(ReplyResultsIds::IDC_NOTE);
            return DialogAnswer::Ok;
        }};
        window->OnDropFiles({reply});
        QCOMPARE(m_ui.askedOf(Kind::Modal).size(), 1);
        QCOMPARE(m_ui.askedOf(Kind::Modal)[0].templateId, int(IDD_REPLYRESULTS));
        QCOMPARE(rows, (QStringList{QStringLiteral("○ approve *** subscribe photo a@x"),
                                    QStringLiteral("× approve *** unsubscribe photo b@x  ―  "
                                                   "ﾊﾟｽﾜｰﾄﾞが違います")}));
        QCOMPARE(secondText, QStringLiteral("**** approve: invalid list or password."));
        QVERIFY(note.contains(QStringLiteral("管理ﾊﾟｽﾜｰﾄﾞ")));
        QVERIFY(!rows.join(QString()).contains(QStringLiteral("secret")));
        QCOMPARE(window->selectedPosition(), 0);
        QCOMPARE(window->focusWidget(), window->control(IDC_PASSWD));
        QCOMPARE(window->commandTabs().currentTab(), 2);
        QVERIFY(window->text(IDC_ARGUMENT).isEmpty());

        // Named on the command line, it opens once the window is up.
        m_ui = FakeUiServices();
        CTavelinDlg named(m_ui, {QStringLiteral("tavelin"), reply});
        named.initialize();
        QTRY_COMPARE(m_ui.askedOf(Kind::Modal).size(), 1);
        QCOMPARE(m_ui.askedOf(Kind::Modal)[0].templateId, int(IDD_REPLYRESULTS));

        // A returned mail on the forced-unsubscribe tab fills the field as before.
        m_ui = FakeUiServices();
        selectTab(*window, 0);
        const QString bounce = path(QStringLiteral("bounce.eml"));
        writeFile(bounce, "From: MAILER-DAEMON@x\nSubject: Returned mail\n\n"
                          "The following addresses had permanent fatal errors\ngone@x.org\n\n");
        window->OnDropFiles({bounce});
        QVERIFY(m_ui.askedOf(Kind::Modal).isEmpty());
        QCOMPARE(window->text(IDC_ARGUMENT), QStringLiteral("gone@x.org"));
    }

    // The roster button of the member-list tab: count, search, joined/left
    // after a second who reply, export, and the hand-over to the
    // forced-unsubscribe field.
    void theRosterWindowSearchesFiltersExportsAndHandsOver()
    {
        auto window = open();
        selectTab(*window, 3);
        QVERIFY(window->isShown(IDC_ROSTER));
        // No roster yet: the owner learns how to get one.
        m_ui.messageAnswers = {DialogAnswer::Ok};
        window->press(IDC_ROSTER);
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), 1);

        const auto who = [this](const QByteArray &members, int count) {
            const QString file = path(QStringLiteral("who.eml"));
            writeFile(file, "From: Majordomo@example.org\nSubject: Majordomo results\n\n--\n\n"
                            ">>>> approve secret who photo\nMembers of list 'photo':\n\n" +
                                members + "\n" + QByteArray::number(count) + " subscribers\n\n");
            return file;
        };
        m_ui = FakeUiServices();
        window->OnDropFiles({who("ann@x\nBob <bob@x>\ncid@x", 3)});
        window->OnDropFiles({who("Bob <bob@x>\ncid@x\ndan@x\n# note", 4)});
        QCOMPARE(m_ui.askedOf(Kind::Modal).size(), 2); // the two results windows

        const QString csv = path(QStringLiteral("out.csv"));
        QString summary;
        QStringList all, searched, joined, left;
        QByteArray exported;
        const auto shown = [](const CRosterDlg &dialog) {
            QStringList lines;
            for (const RosterMember &member : dialog.shown())
                lines.append(QString::fromLatin1(member.line));
            return lines;
        };
        m_ui.fileAnswers = {csv};
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            auto &roster = static_cast<CRosterDlg &>(dialog);
            summary = roster.text(RosterIds::IDC_SUMMARY);
            all = shown(roster);
            roster.setText(RosterIds::IDC_SEARCH, QStringLiteral("BOB"));
            searched = shown(roster);
            roster.setText(RosterIds::IDC_SEARCH, QString());
            auto *filter = roster.item<QComboBox>(RosterIds::IDC_FILTER);
            filter->setCurrentIndex(CRosterDlg::Left);
            left = shown(roster);
            filter->setCurrentIndex(CRosterDlg::Joined);
            joined = shown(roster);
            roster.press(RosterIds::IDC_EXPORT);
            exported = readFile(csv);
            filter->setCurrentIndex(CRosterDlg::All);
            auto *members = roster.item<QListWidget>(RosterIds::IDC_MEMBERS);
            members->item(3)->setSelected(true); // "# note": no address
            if (roster.isEnabled(RosterIds::IDC_UNSUBSCRIBE))
                return DialogAnswer::Cancel;
            members->item(2)->setSelected(true);
            members->item(0)->setSelected(true);
            roster.press(RosterIds::IDC_UNSUBSCRIBE);
            return DialogAnswer::Cancel; // the button ended it already
        }};
        m_ui.asked.clear();
        window->press(IDC_ROSTER);
        QCOMPARE(m_ui.askedOf(Kind::Modal).size(), 1);
        QCOMPARE(m_ui.askedOf(Kind::Modal)[0].templateId, int(IDD_ROSTER));
        QVERIFY2(summary.contains(QStringLiteral("3 名")), qPrintable(summary));
        QVERIFY(summary.contains(QStringLiteral("4")));
        QCOMPARE(all, (QStringList{"Bob <bob@x>", "cid@x", "dan@x", "# note"}));
        QCOMPARE(searched, QStringList{"Bob <bob@x>"});
        QCOMPARE(left, QStringList{"ann@x"});
        QCOMPARE(joined, QStringList{"dan@x"});
        QCOMPARE(exported, QByteArray("address,valid,line\r\ndan@x,yes,dan@x\r\n"));
        QCOMPARE(window->commandTabs().currentTab(), 0);
        QCOMPARE(window->text(IDC_ARGUMENT), QStringLiteral("bob@x,dan@x"));
        QVERIFY(window->isEnabled(IDC_CREATE));
    }
};

QTEST_MAIN(TestTabs)
#include "tst_tabs.moc"
