// The main window, the title, file-rename and about dialogs, on the real store
// in a temporary folder, with scripted answers for every question.
#include "TestSupport.h"

#include "WindowFixture.h"
#include "common/Translation.h"
#include "dialogs/FileRenameDlg.h"
#include "dialogs/TitleDlg.h"
#include "main/TavelinDlg.h"
#include "resources/StringTable.h"
#include "sheets/CommonSheet.h"
#include "store/AppRegistry.h"
#include "store/SettingsStore.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace MainIds;

namespace {

using Kind = FakeUiServices::Kind;

MailingListEntry list(const char *title, const char *address = "")
{
    MailingListEntry entry;
    entry.Title = title;
    entry.Address = address;
    return entry;
}

ListRegister storedRegister()
{
    CAppRegistry store;
    return LoadRegister(store);
}

QStringList titles(const QComboBox *selector)
{
    QStringList shown;
    for (int i = 0; i < selector->count(); ++i)
        shown.append(selector->itemText(i));
    return shown;
}

// Plays the owner in the title dialog: types the title and presses OK.
FakeUiServices::DialogScript typeTitle(const QString &title)
{
    return [title](QDialog &dialog) {
        static_cast<TemplateDialog &>(dialog).setText(1161, title);
        return DialogAnswer::Ok;
    };
}

const int kListControls[] = {1008, 1010, 1019, 1023, 1028, 1037, 1167,
                             1084, 1081, 1077, 1060, 1066, 1070};

QByteArray patterned(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

} // namespace

class TestApp : public QObject, WindowFixture
{
    Q_OBJECT

private:
    // An outgoing folder holding count created mails and a file of another
    // name, made the stored one.
    void queueMails(int count)
    {
        const QString folder = path(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(folder));
        for (int i = 1; i <= count; ++i)
            QVERIFY(writeFile(folder + QStringLiteral("/tvl%1.tmp").arg(i), "To: x\r\n"));
        QVERIFY(writeFile(folder + QStringLiteral("/notes.txt"), "not queued"));
        CommonSettings settings;
        settings.MailSavePath = folder.toLocal8Bit();
        SaveCommonSettings(settings);
    }

    // A returned mail: a delivery-error report from a sender.
    QString returnedMail(const QString &name, const QByteArray &gone)
    {
        const QString file = path(name);
        writeFile(file, "From: Postmaster <postmaster@example.org>\r\n\r\n"
                        "The following addresses had permanent fatal errors\r\n<" +
                            gone + ">\r\n\r\n");
        return file;
    }

    std::unique_ptr<CTavelinDlg> open(const ListRegister &lists,
                                      const QStringList &arguments = {QStringLiteral("tavelin")})
    {
        if (!lists.isEmpty())
            SaveRegister(lists);
        auto window = std::make_unique<CTavelinDlg>(m_ui, arguments);
        window->show(); // opening initialises it
        return window;
    }

    // The window state of no selected list.
    void verifyNoListState(const CTavelinDlg &window)
    {
        for (int id : kListControls)
            QVERIFY2(!window.isEnabled(id), qPrintable(QString::number(id)));
        QVERIFY(!window.isShown(1167));
        QCOMPARE(window.item<QComboBox>(1004)->currentIndex(), -1);
        QVERIFY(window.isEnabled(1004) && window.isEnabled(1006) && window.isEnabled(1016));
    }

private Q_SLOTS:
    void init() { QVERIFY(startWindowTest()); }

    void mainWindowHasItsControlsTabsAndTitle()
    {
        struct Row
        {
            int id;
            const char *text;
            QRect units; // left, top, width, height
            bool enabled;
            bool shown;
        };
        const Row rows[] = {
            {1006, "新規追加", {163, 7, 45, 14}, true, true},
            {1008, "名称変更", {163, 24, 45, 14}, false, true},
            {1010, "削除", {163, 42, 45, 14}, false, true},
            {1019, "", {52, 39, 95, 14}, false, true},
            {1028, "", {52, 75, 95, 14}, false, true},
            {1016, "共通設定", {163, 81, 45, 14}, true, true},
            {1013, "設定の保存", {163, 63, 45, 14}, false, true},
            {1023, "", {52, 57, 95, 14}, false, true},
            {1070, "全ﾒｰﾙ送信", {152, 180, 56, 15}, false, true},
            {1060, "ｺﾏﾝﾄﾞﾒｰﾙ作成", {7, 180, 56, 15}, false, true},
            {1066, "既成ﾒｰﾙ操作", {7, 203, 56, 15}, false, true},
            {1181, "通 作成済", {82, 183, 31, 8}, true, true},
            {1063, "", {64, 183, 16, 12}, true, true},
            {1168, "", {13, 118, 123, 8}, true, true},
            {1167, "", {12, 132, 185, 14}, false, false},
            {1077, "参照", {165, 151, 32, 15}, false, false},
            {1081, "編集", {123, 151, 32, 15}, false, false},
            {1084, "ｱﾄﾞﾚｽ抽出", {12, 152, 56, 15}, false, false},
            {1037, "", {7, 100, 201, 74}, false, true},
        };
        CTavelinDlg window(m_ui, {});
        QCOMPARE(window.windowTitle(), QStringLiteral("Tavelin for Quillon"));
        QCOMPARE(window.size(), dialogUnitsToPixels(QSize(215, 225), window.baseUnits()));
        for (const Row &row : rows) {
            const QByteArray where = QByteArray::number(row.id);
            QVERIFY2(window.text(row.id) == QString::fromUtf8(row.text), where);
            QVERIFY2(window.control(row.id)->geometry() ==
                         dialogUnitsToPixels(row.units, window.baseUnits()),
                     where);
            QVERIFY2(window.isEnabled(row.id) == row.enabled, where);
            QVERIFY2(window.isShown(row.id) == row.shown, where);
        }
        // The selector's height is its closed height, not that of its open list.
        const QRect selector = dialogUnitsToPixels(QRect(7, 7, 148, 83), window.baseUnits());
        QCOMPARE(window.control(1004)->pos(), selector.topLeft());
        QCOMPARE(window.control(1004)->width(), selector.width());
        QCOMPARE(window.item<QLineEdit>(1028)->echoMode(), QLineEdit::Password);
        // The labels and the frame that code never addresses.
        QStringList statics;
        for (const QLabel *label : window.findChildren<QLabel *>())
            statics.append(label->text());
        for (const char *text : {"管理ｱﾄﾞﾚｽ", "管理ﾊﾟｽﾜｰﾄﾞ", "ﾘｽﾄ名"})
            QVERIFY2(statics.contains(QString::fromUtf8(text)), text);
        QCOMPARE(window.findChild<QGroupBox *>()->title(), QStringLiteral("管理情報"));

        window.initialize();
        const QStringList labels = {QStringLiteral("強制退会"),    QStringLiteral("強制入会"),
                                    QStringLiteral("ﾊﾟｽﾜｰﾄﾞ変更"), QStringLiteral("会員一覧"),
                                    QStringLiteral("Info変更"),    QStringLiteral("Intro変更"),
                                    QStringLiteral("config 取得"), QStringLiteral("config 変更")};
        auto *tabs = window.item<QTabWidget>(1037);
        QCOMPARE(tabs->count(), labels.size());
        const QFontMetrics metrics(window.font());
        for (int i = 0; i < labels.size(); ++i) {
            QCOMPARE(tabs->tabText(i), labels[i]);
            for (const char32_t c : labels[i].toUcs4()) // no boxes for missing glyphs
                QVERIFY2(c == U' ' || metrics.inFontUcs4(c), qPrintable(labels[i]));
        }
        QVERIFY(!window.windowIcon().isNull());
        QCOMPARE(window.text(1063), QStringLiteral("0"));
    }

    void firstStartWithAnEmptyStoreSelectsNothing()
    {
        SaveRegister({});
        queueMails(3); // mails already in the outgoing folder
        CTavelinDlg window(m_ui, {QStringLiteral("tavelin")});
        window.initialize();
        QCOMPARE(window.item<QComboBox>(1004)->count(), 0);
        QCOMPARE(window.queuedCount(), 3u);
        QCOMPARE(window.text(1063), QStringLiteral("3"));
        verifyNoListState(window);
        QVERIFY(!window.isDirty());
        QCOMPARE(window.item<QTabWidget>(1037)->currentIndex(), 0);
    }

    void listsAreShownByTitleWithoutRegardToCase()
    {
        auto window = open({list("b"), list("a"), list("c")});
        auto *selector = window->item<QComboBox>(1004);
        QCOMPARE(titles(selector), (QStringList{"a", "b", "c"}));
        QCOMPARE(selector->currentIndex(), 0);

        m_ui.dialogScripts = {typeTitle(QStringLiteral("B"))};
        window->press(1006);
        QCOMPARE(titles(selector), (QStringList{"a", "b", "B", "c"}));
        QCOMPARE(selector->currentIndex(), 2);
        QCOMPARE(m_ui.asked.at(0).templateId, 134);
        QCOMPARE(storedRegister().size(), 4);
        QCOMPARE(storedRegister().at(2).Title, QByteArray("B"));
        QVERIFY(!window->isDirty());
    }

    void addingCancelledOrEmptyTitle()
    {
        auto window = open({list("a", "x@example.org")});
        m_ui.dialogScripts = {[](QDialog &) { return DialogAnswer::Cancel; }};
        window->press(1006);
        QCOMPARE(window->item<QComboBox>(1004)->count(), 1);

        m_ui.dialogScripts = {typeTitle(QString())};
        window->press(1006);
        QCOMPARE(titles(window->item<QComboBox>(1004)), (QStringList{"", "a"}));
        QCOMPARE(window->selectedPosition(), 0);
        QCOMPARE(window->text(1019), QString()); // the new list's empty record
        QCOMPARE(window->lists().at(1).Address, QByteArray("x@example.org"));
        QCOMPARE(storedRegister().size(), 2);
    }

    void renamingMovesTheListAndKeepsItsRecord()
    {
        auto window = open({list("a", "a@example.org"), list("b"), list("c")});
        QCOMPARE(window->selectedPosition(), 0);
        m_ui.dialogScripts = {[](QDialog &dialog) {
            auto &title = static_cast<TemplateDialog &>(dialog);
            // The dialog opens with the current title.
            if (title.text(1161) != QLatin1String("a"))
                return DialogAnswer::Cancel;
            title.setText(1161, QStringLiteral("z"));
            return DialogAnswer::Ok;
        }};
        window->press(1008);
        QCOMPARE(titles(window->item<QComboBox>(1004)), (QStringList{"b", "c", "z"}));
        QCOMPARE(window->selectedPosition(), 2);
        QCOMPARE(window->item<QComboBox>(1004)->currentIndex(), 2);
        QCOMPARE(window->text(1019), QStringLiteral("a@example.org"));
        QCOMPARE(window->lists().at(2).Address, QByteArray("a@example.org"));
        const ListRegister stored = storedRegister();
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored.at(2).Title, QByteArray("z"));
        QCOMPARE(stored.at(2).Address, QByteArray("a@example.org"));
    }

    void deletingAsksAndLeavesNoListSelected()
    {
        auto window = open({list("a"), list("b")});
        m_ui.messageAnswers = {DialogAnswer::Cancel};
        window->press(1010);
        QCOMPARE(window->item<QComboBox>(1004)->count(), 2);
        QCOMPARE(storedRegister().size(), 2);

        m_ui.messageAnswers = {DialogAnswer::Ok};
        window->press(1010);
        const QList<FakeUiServices::Question> questions = m_ui.askedOf(Kind::Message);
        QCOMPARE(questions.size(), 2);
        QCOMPARE(questions[1].text, QStringLiteral("aを削除していいですか"));
        QCOMPARE(questions[1].caption, QStringLiteral("ＭＬ削除"));
        QCOMPARE(questions[1].buttons, MessageButtons::OkCancel);
        QCOMPARE(titles(window->item<QComboBox>(1004)), QStringList{"b"});
        verifyNoListState(*window);
        QCOMPARE(window->selectedPosition(), -1);
        QCOMPARE(storedRegister().size(), 1);
        QCOMPARE(storedRegister().at(0).Title, QByteArray("b"));
    }

    void closingAfterTypingAsksToSave_data()
    {
        QTest::addColumn<DialogAnswer>("answer");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("OK saves") << DialogAnswer::Ok << QByteArray("typed@example.org");
        QTest::newRow("Cancel keeps") << DialogAnswer::Cancel << QByteArray("old@example.org");
    }

    void closingAfterTypingAsksToSave()
    {
        QFETCH(DialogAnswer, answer);
        QFETCH(QByteArray, stored);
        SaveRegister({list("a", "old@example.org")});
        {
            auto window = open({});
            QVERIFY(!window->isDirty());
            auto *address = window->item<QLineEdit>(1019);
            address->clear();
            QTest::keyClicks(address, QStringLiteral("typed@example.org"));
            QVERIFY(window->isDirty());
            QCOMPARE(window->lists().at(0).Address, QByteArray("typed@example.org"));
            m_ui.messageAnswers = {answer};
            window->close();
            QCOMPARE(m_ui.askedOf(Kind::Message).size(), 1);
            QCOMPARE(m_ui.asked.last().text,
                     QStringLiteral("設定が変更されています\n保存しますか"));
            QCOMPARE(m_ui.asked.last().caption, QStringLiteral("保存"));
        }
        // Destroying the closed window asks no second time.
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), 1);
        QCOMPARE(storedRegister().at(0).Address, stored);
    }

    void closingUnchangedAsksNothing()
    {
        auto window = open({list("a")});
        window->close();
        QVERIFY(m_ui.asked.isEmpty());
    }

    void onlyAnEditLightsTheSaveButton()
    {
        MailingListEntry a = list("a", "a@example.org");
        a.ListName = "a-list";
        a.Passwd = "pw";
        a.InfoFile = "/lists/a.info";
        a.IntroFile = "/lists/a.intro";
        a.ConfigFile = "/lists/a.conf";
        MailingListEntry b = a;
        b.Title = "b";
        b.Address = "b@example.org";
        b.InfoFile = "/lists/b.info";
        auto window = open({a, b});
        // Showing a list's values is no edit: at start, on another list, on
        // the tabs that show the list's files.
        QVERIFY(!window->isDirty());
        auto *selector = window->item<QComboBox>(1004);
        selector->setFocus();
        QTest::keyClick(selector, Qt::Key_Down);
        QCOMPARE(window->selectedPosition(), 1);
        QCOMPARE(window->text(1019), QStringLiteral("b@example.org"));
        for (int id : {1008, 1010, 1019, 1023, 1028, 1037, 1167})
            QVERIFY(window->isEnabled(id));
        QVERIFY(window->isShown(1167));
        QVERIFY(!window->isEnabled(1060)); // the command field is empty
        auto *tabs = window->item<QTabWidget>(1037);
        for (int tab : {4, 5, 7, 0, 4}) {
            tabs->setCurrentIndex(tab);
            QVERIFY2(!window->isDirty(), qPrintable(QString::number(tab)));
        }
        // The same file chosen again changes nothing either.
        m_ui.fileAnswers = {QStringLiteral("/lists/b.info")};
        window->press(1077);
        QVERIFY(!window->isDirty());
        QTest::keyClick(selector, Qt::Key_Up);
        QVERIFY(!window->isDirty());

        // A keystroke is an edit, and saving takes it back.
        QTest::keyClick(window->item<QLineEdit>(1023), Qt::Key_End);
        QTest::keyClicks(window->item<QLineEdit>(1023), QStringLiteral("x"));
        QVERIFY(window->isDirty());
        QCOMPARE(window->lists().at(0).ListName, QByteArray("a-listx"));
        window->press(1013);
        QVERIFY(!window->isDirty());
        QCOMPARE(storedRegister().at(0).ListName, QByteArray("a-listx"));
        window->close();
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), 0);
    }

    void shownFieldsKeepBytesTheLocaleCannotShow()
    {
        // A register written on a Shift-JIS system: showing its fields must
        // not rewrite them; a field the owner edits takes the typed text.
        MailingListEntry sjis = list("a", "ml@example.jp");
        sjis.ListName = "\x93\xfa\x96\x7b";
        sjis.Passwd = "pw\x82\xa0";
        auto window = open({sjis});
        QCOMPARE(window->lists().at(0), sjis);
        window->press(1013);
        QCOMPARE(storedRegister().at(0), sjis);

        window->item<QLineEdit>(1028)->setText(QStringLiteral("new"));
        QCOMPARE(window->lists().at(0).Passwd, QByteArray("new"));
        QCOMPARE(window->lists().at(0).ListName, sjis.ListName);
    }

    void queueButtonsFollowTheCountOnlyWithAList()
    {
        SaveRegister({list("a")});
        queueMails(2);
        CTavelinDlg window(m_ui, {QStringLiteral("tavelin")});
        window.initialize();
        QVERIFY(window.isEnabled(1066) && window.isEnabled(1070));
        window.SelectList(5); // out of range: the no-list state
        verifyNoListState(window);
    }

    void commandLineSelectsListAndTab_data()
    {
        // "MAIL" stands for a returned mail in the test's folder; the field
        // shows what the tab's rule read from it.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("handedOver");
        const QString mail = QStringLiteral("MAIL");
        const QString program = QStringLiteral("tavelin");
        const QString sender = QStringLiteral("postmaster@example.org");
        QTest::newRow("subscribe")
            << QStringList{program, "subscribe", "b", mail} << 1 << 1 << sender << false;
        QTest::newRow("SUBSCRIBE")
            << QStringList{program, "SUBSCRIBE", "b", mail} << 1 << 1 << sender << false;
        QTest::newRow("unsubscribe, extra argument")
            << QStringList{program, "Unsubscribe", "b", mail, "more"} << 1 << 0
            << QStringLiteral("gone@example.org") << false;
        QTest::newRow("config") << QStringList{program, "config", "b", mail} << 1 << 7 << QString()
                                << true;
        QTest::newRow("title in other case")
            << QStringList{program, "subscribe", "B", mail} << 0 << 0 << QString() << false;
        QTest::newRow("two arguments")
            << QStringList{program, "subscribe", "b"} << 0 << 0 << QString() << false;
        QTest::newRow("unknown word")
            << QStringList{program, "sub", "b", mail} << 0 << 0 << QString() << false;
    }

    void commandLineSelectsListAndTab()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, position);
        QFETCH(int, tab);
        QFETCH(QString, field);
        QFETCH(bool, handedOver);
        const QString mail = returnedMail(QStringLiteral("mail.txt"), "gone@example.org");
        arguments.replaceInStrings(QStringLiteral("MAIL"), mail);
        QString renamed; // the file the rename dialog was handed
        m_ui.dialogScripts = {[&renamed](QDialog &dialog) {
            renamed = static_cast<TemplateDialog &>(dialog).text(FileRenameIds::IDC_SOURCE);
            return DialogAnswer::Cancel;
        }};
        auto window = open({list("a"), list("b")}, arguments);
        QCOMPARE(window->selectedPosition(), position);
        QCOMPARE(window->item<QTabWidget>(IDC_TAB)->currentIndex(), tab);
        QCOMPARE(window->text(IDC_ARGUMENT), field);
        QCOMPARE(renamed, handedOver ? mail : QString());
        QVERIFY(m_ui.askedOf(Kind::Message).isEmpty());
    }

    void dropsAreTakenOnEveryTab()
    {
        auto window = open({list("a")});
        auto *tabs = window->item<QTabWidget>(1037);
        // A reply of the list server is taken on every tab.
        const bool accepts[] = {true, true, true, true, true, true, true, true};
        for (int tab = 7; tab >= 0; --tab) {
            tabs->setCurrentIndex(tab);
            QCOMPARE(window->acceptDrops(), accepts[tab]);
        }
    }

    void filesDroppedTogetherAreReadTogether()
    {
        auto window = open({list("a")});
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(returnedMail(QStringLiteral("one.txt"), "one@x.org")),
                      QUrl::fromLocalFile(returnedMail(QStringLiteral("two.txt"), "two@x.org")),
                      QUrl::fromLocalFile(returnedMail(QStringLiteral("three.txt"), "3@x.org"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &drop);
        QCOMPARE(window->text(IDC_ARGUMENT), QStringLiteral("one@x.org,two@x.org,3@x.org"));

        // A folder: every mail in it, each address once.
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("box")));
        QVERIFY(QFile::rename(returnedMail(QStringLiteral("six.txt"), "six@x.org"),
                              path(QStringLiteral("box/six.txt"))));
        QVERIFY(QFile::copy(path(QStringLiteral("one.txt")), path(QStringLiteral("box/one.txt"))));
        window->OnDropFiles({path(QStringLiteral("box")), path(QStringLiteral("one.txt"))});
        QCOMPARE(window->text(IDC_ARGUMENT), QStringLiteral("one@x.org,six@x.org"));

        // Tab 4 takes files but does nothing with a mail; no list: ignored.
        window->item<QTabWidget>(1037)->setCurrentIndex(4);
        window->OnDropFiles({returnedMail(QStringLiteral("four.txt"), "four@x.org")});
        window->item<QTabWidget>(1037)->setCurrentIndex(7);
        window->SelectList(-1);
        window->OnDropFiles({returnedMail(QStringLiteral("five.txt"), "five@x.org")});
        QVERIFY(m_ui.asked.isEmpty());
    }

    void theVersionBoxOpensFromTheMenuAfterItsSeparatorAndOnF1()
    {
        auto window = open({});
        QVERIFY(window->systemMenu());
        // Closing, a separator, the version item.
        const QList<QAction *> actions = window->systemMenu()->actions();
        QCOMPARE(actions.size(), 3);
        QVERIFY(!actions[0]->isSeparator() && actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), loadString(101));
        const auto about = [](QDialog &dialog) {
            return static_cast<TemplateDialog &>(dialog).findChildren<QWidget *>().size() == 3
                       ? DialogAnswer::Ok
                       : DialogAnswer::Cancel;
        };
        m_ui.dialogScripts = {about, about};
        actions[2]->trigger();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window->item<QComboBox>(1004), Qt::Key_F1);
        const QList<FakeUiServices::Question> modal = m_ui.askedOf(Kind::Modal);
        QCOMPARE(modal.size(), 2);
        for (const FakeUiServices::Question &opened : modal) {
            QCOMPARE(opened.templateId, 100);
            QCOMPARE(opened.caption, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 Tavelin"));
        }
        QCOMPARE(m_ui.unanswered, 0);
        actions[0]->trigger();
        QVERIFY(!window->isVisible());
    }

    void aClickedTabTakesTheFocusAndTheArrowsMoveOn()
    {
        auto window = open({list("a")});
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto *tabs = window->item<QTabWidget>(1037);
        QTabBar *bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), bar);
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(tabs->currentIndex(), 2);
        QTest::keyClick(bar, Qt::Key_Left);
        QTest::keyClick(bar, Qt::Key_Left);
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void commonSettingsAreWrittenWholeOnlyWhenConfirmed()
    {
        auto window = open({list("a")});
        window->press(1016); // the sheet cancelled: nothing written
        QVERIFY(!QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orvendal", "Tavelin")
                     .contains(QStringLiteral("Server")));
        m_ui.dialogScripts = {[](QDialog &dialog) {
            static_cast<CCommonSheet &>(dialog).page(0)->setText(
                CommonSendIds::IDC_SERVER, QStringLiteral("smtp.example.org"));
            return DialogAnswer::Ok;
        }};
        window->press(1016);
        QCOMPARE(window->commonSettings().Server, QByteArray("smtp.example.org"));
        QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Orvendal", "Tavelin");
        for (const CommonSettingField &field : commonSettingFields())
            QVERIFY2(stored.contains(QString::fromLatin1(field.name)), field.name);
        QVERIFY(!window->isDirty());
    }

    void titleDialogReturnsWhatWasTyped()
    {
        CTitleDlg dialog;
        dialog.m_strTitle = QStringLiteral("old");
        m_ui.dialogScripts = {[](QDialog &d) {
            static_cast<TemplateDialog &>(d).setText(1161, QStringLiteral("typed"));
            return DialogAnswer::Cancel;
        }};
        QCOMPARE(m_ui.runModal(dialog), DialogAnswer::Cancel);
        QCOMPARE(dialog.m_strTitle, QStringLiteral("old"));
        m_ui.dialogScripts = {typeTitle(QString())};
        QCOMPARE(m_ui.runModal(dialog), DialogAnswer::Ok);
        QCOMPARE(dialog.m_strTitle, QString());
    }

    void fileRenameCopiesOnOkOnly_data()
    {
        QTest::addColumn<QByteArray>("source");     // reply.txt; null: none
        QTest::addColumn<QString>("newName");       // given to the dialog
        QTest::addColumn<QByteArray>("oldContent"); // of the new name; null: none
        QTest::addColumn<QString>("typed");         // into 1163; empty: left
        QTest::addColumn<DialogAnswer>("answer");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("expected"); // "<unreadable>": no such file
        const QByteArray missing("<unreadable>");
        const QByteArray big = patterned(200000); // more than one read
        QTest::newRow("typed name wins") << big << "opened.conf" << QByteArray() << "typed.conf"
                                         << DialogAnswer::Ok << "typed.conf" << big;
        QTest::newRow("existing file replaced whole")
            << QByteArray("short\r\n") << "list.conf" << patterned(5000) << QString()
            << DialogAnswer::Ok << "list.conf" << QByteArray("short\r\n");
        QTest::newRow("missing source") << QByteArray() << "new.conf" << QByteArray() << QString()
                                        << DialogAnswer::Ok << "new.conf" << missing;
        QTest::newRow("onto itself")
            << QByteArray("kept") << "./reply.txt" << QByteArray() << QString() << DialogAnswer::Ok
            << "reply.txt" << QByteArray("kept");
        QTest::newRow("cancel") << QByteArray("reply") << "new.conf" << QByteArray() << "typed.conf"
                                << DialogAnswer::Cancel << "typed.conf" << missing;
    }

    void fileRenameCopiesOnOkOnly()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, newName);
        QFETCH(QByteArray, oldContent);
        QFETCH(QString, typed);
        QFETCH(DialogAnswer, answer);
        QFETCH(QString, target);
        QFETCH(QByteArray, expected);
        if (!source.isNull())
            QVERIFY(writeFile(path("reply.txt"), source));
        if (!oldContent.isNull())
            QVERIFY(writeFile(path(newName), oldContent));
        const QStringList before = QDir(m_dir->path()).entryList(QDir::Files);
        CFileRenameDlg dialog(m_ui);
        dialog.m_strSource = path("reply.txt");
        dialog.m_strNewName = path(newName);
        m_ui.dialogScripts = {[&](QDialog &d) {
            auto &rename = static_cast<TemplateDialog &>(d);
            // The dialog opens showing both names.
            if (rename.text(1162) != path("reply.txt") || rename.text(1163) != path(newName))
                return DialogAnswer::Cancel;
            if (!typed.isEmpty())
                rename.setText(1163, path(typed));
            return answer;
        }};
        QCOMPARE(m_ui.runModal(dialog), answer);
        QCOMPARE(readFile(path(target)), expected);
        if (answer == DialogAnswer::Ok)
            QCOMPARE(dialog.m_strNewName, path(typed.isEmpty() ? newName : typed));
        // Nothing but the target is new: no temporary is left.
        for (const QString &name : QDir(m_dir->path()).entryList(QDir::Files))
            QVERIFY2(name == target || before.contains(name), qPrintable(name));
        QVERIFY(m_ui.askedOf(Kind::Message).isEmpty());
    }

    void fileRenameCopiesOnlyFromAPlainFile()
    {
        // Without a writer, opening a FIFO would wait for ever.
        const QString fifo = path(QStringLiteral("reply.fifo"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &source : {fifo, m_dir->path()}) {
            CFileRenameDlg dialog(m_ui);
            dialog.m_strSource = source;
            dialog.m_strNewName = path(QStringLiteral("new.conf"));
            m_ui.dialogScripts = {[](QDialog &) { return DialogAnswer::Ok; }};
            QCOMPARE(m_ui.runModal(dialog), DialogAnswer::Ok);
            QVERIFY2(!QFile::exists(dialog.m_strNewName), qPrintable(source));
        }
        QVERIFY(m_ui.askedOf(Kind::Message).isEmpty());
    }

    void scriptThatPressesOkItselfEndsTheDialogOnce()
    {
        QVERIFY(writeFile(path("reply.txt"), "reply"));
        CFileRenameDlg dialog(m_ui);
        dialog.m_strSource = path("reply.txt");
        dialog.m_strNewName = path("new.conf");
        int finished = 0;
        connect(&dialog, &QDialog::finished, this, [&finished] { ++finished; });
        m_ui.dialogScripts = {[](QDialog &d) {
            static_cast<TemplateDialog &>(d).press(IDOK);
            return DialogAnswer::Cancel; // too late: OK was pressed
        }};
        QCOMPARE(m_ui.runModal(dialog), DialogAnswer::Ok);
        QCOMPARE(finished, 1);
        QCOMPARE(readFile(path("new.conf")), QByteArray("reply"));
    }

    void fileRenameBrowsesForTheNewName()
    {
        CFileRenameDlg dialog(m_ui);
        dialog.m_strNewName = path("old.conf");
        dialog.m_strDefExt = QStringLiteral("*.conf");
        dialog.m_strFilter = QStringLiteral("config ﾌｧｲﾙ(*.conf)|*.conf|全てのﾌｧｲﾙ (*.*)|*.*||");
        dialog.initialize();
        m_ui.fileAnswers = {std::nullopt, path("chosen.conf")};
        dialog.press(1003);
        QCOMPARE(dialog.text(1163), path("old.conf"));
        dialog.press(1003);
        QCOMPARE(dialog.text(1163), path("chosen.conf"));
        QCOMPARE(dialog.m_strNewName, path("chosen.conf"));
        const FakeUiServices::Question asked = m_ui.askedOf(Kind::OpenFile).at(0);
        QCOMPARE(asked.file.defaultExtension, QStringLiteral("*.conf"));
        QCOMPARE(asked.file.initialName, path("old.conf"));
        QCOMPARE(asked.file.filterList, dialog.m_strFilter);
        QCOMPARE(asked.file.flags, FileDialogFlag::HideReadOnly | FileDialogFlag::OverwritePrompt);
    }

    void renderToolDrawsEveryWindow()
    {
        QProcess render;
        render.start(QStringLiteral(TAVELIN_RENDER), {m_dir->filePath(QStringLiteral("png"))});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        // Every window that is not a page of a sheet, at its template's size.
        QStringList names;
        for (int id : {100, 102, 129, 130, 134, 135, 136})
            names.append(QString::number(id));
        for (int tab = 0; tab < 8; ++tab)
            names.append(QStringLiteral("102-tab%1").arg(tab));
        for (const QString &name : std::as_const(names)) {
            const QImage image(m_dir->filePath(QStringLiteral("png/dialog-%1.png").arg(name)));
            QVERIFY2(!image.isNull(), qPrintable(name));
            QCOMPARE(image.size(), TemplateDialog(name.left(3).toInt()).size());
            QSet<QRgb> colours;
            for (int y = 0; y < image.height(); y += 2)
                for (int x = 0; x < image.width(); x += 2)
                    colours.insert(image.pixel(x, y));
            QVERIFY(colours.size() > 8); // text and frames were drawn
        }
        // The common settings pages in their sheet, the sending page in both modes.
        const QSize sheet = CCommonSheet(m_ui, CommonSettings(), {}).size();
        for (const char *name : {"108", "108-quillon", "109"})
            QCOMPARE(QImage(m_dir->filePath(QStringLiteral("png/dialog-%1.png").arg(name))).size(),
                     sheet);
        render.start(QStringLiteral(TAVELIN_RENDER), {m_dir->path(), QStringLiteral("999")});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 2);
    }

    void fileRenameNeverReplacesAFifo()
    {
        QVERIFY(writeFile(path("reply.txt"), "reply"));
        const QString fifo = path(QStringLiteral("list.fifo"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(fifo, path(QStringLiteral("list.conf"))));
        for (const QString &target : {fifo, path(QStringLiteral("list.conf"))}) {
            CFileRenameDlg dialog(m_ui);
            dialog.m_strSource = path("reply.txt");
            dialog.m_strNewName = target;
            m_ui.dialogScripts = {[](QDialog &) { return DialogAnswer::Ok; }};
            m_ui.messageAnswers = {DialogAnswer::Ok};
            QCOMPARE(m_ui.runModal(dialog), DialogAnswer::Ok);
        }
        struct stat st
        {
        };
        QCOMPARE(lstat(QFile::encodeName(fifo).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
        QVERIFY(QFileInfo(path(QStringLiteral("list.conf"))).isSymLink());
        const QList<FakeUiServices::Question> messages = m_ui.askedOf(Kind::Message);
        QCOMPARE(messages.size(), 2);
        for (const FakeUiServices::Question &message : messages)
            QVERIFY2(message.text.endsWith(QStringLiteral("not a plain file")),
                     qPrintable(message.text));
    }

    void storeThatCannotBeReadIsSaidAtStartAndNeverWritten()
    {
        // A folder where the store file should be.
        const QString store = path(QStringLiteral("Orvendal/Tavelin.conf"));
        QVERIFY(QDir().mkpath(store));
        m_ui.dialogScripts = {typeTitle(QStringLiteral("new"))};
        auto window = open({});
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), 1);
        QVERIFY(
            m_ui.askedOf(Kind::Message)[0].text.startsWith(QStringLiteral("設定を読み込めません")));
        QVERIFY(m_ui.askedOf(Kind::Message)[0].text.contains(store));

        // Adding a list saves the register: refused, said, and still to be saved.
        window->press(1006);
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), 2);
        QVERIFY(window->isDirty());
        window->press(1013);
        const QList<FakeUiServices::Question> messages = m_ui.askedOf(Kind::Message);
        QCOMPARE(messages.size(), 3);
        for (int i : {1, 2}) {
            QVERIFY(messages[i].text.startsWith(QStringLiteral("設定を保存できません\n") + store));
            QCOMPARE(messages[i].icon, MessageIcon::Stop);
        }
        QVERIFY(window->isDirty());
        QVERIFY(QFileInfo(store).isDir());
        QCOMPARE(QDir(store).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void failedCopyKeepsTheOldFileAndSaysWhy()
    {
        const QByteArray old = "old config\r\n";
        QVERIFY(writeFile(path("list.conf"), old));
        QVERIFY(writeFile(path("reply.txt"), patterned(300000)));
        // A file size limit makes the writes fail part way, as a full disk does.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 100000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

        CFileRenameDlg dialog(m_ui);
        dialog.m_strSource = path("reply.txt");
        dialog.m_strNewName = path("list.conf");
        m_ui.dialogScripts = {[](QDialog &) { return DialogAnswer::Ok; }};
        m_ui.messageAnswers = {DialogAnswer::Ok};
        const DialogAnswer answer = m_ui.runModal(dialog);

        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(answer, DialogAnswer::Ok);
        QCOMPARE(readFile(path("list.conf")), old);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2); // no temporary left
        const QList<FakeUiServices::Question> messages = m_ui.askedOf(Kind::Message);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].text.contains(path("list.conf")));
        QCOMPARE(messages[0].caption, QStringLiteral("ファイル名変更"));
        QCOMPARE(messages[0].icon, MessageIcon::Stop);
    }

    void theWholeProgramTakesItsCommandLineRequest()
    {
        MailingListEntry photo = list("photo", "majordomo@example.org");
        photo.ListName = "photo";
        SaveRegister({list("garden"), photo});
        queueMails(1);
        const QString mail = path(QStringLiteral("join.eml"));
        QVERIFY(writeFile(mail, "From: New Member <new@example.org>\r\n\r\nplease add me\r\n"));
        QProcess program;
        program.setProcessEnvironment(m_dir->environment());
        program.start(
            QStringLiteral(TAVELIN_DRIVEN),
            {QStringLiteral("report"), QStringLiteral("SUBSCRIBE"), QStringLiteral("photo"), mail});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        const QByteArray report = program.readAllStandardOutput();
        // Nothing was edited: closing asks nothing.
        QCOMPARE(report, QByteArray("list: photo\ntab: 1\nfield: new@example.org\ncount: 1\n"));
        QCOMPARE(storedRegister().at(1), photo);
    }

    void dialogsSpeakJapaneseAndTheFirstFieldTakesTheTyping()
    {
        const Translation japanese(QStringLiteral("ja"));
        QVERIFY(japanese.isComplete());
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));

        CTitleDlg dialog;
        dialog.m_strTitle = QStringLiteral("old");
        dialog.show();
        auto *edit = dialog.item<QLineEdit>(1161);
        QCOMPARE(edit->selectedText(), QStringLiteral("old"));
        QTest::keyClicks(edit, QStringLiteral("new"));
        QCOMPARE(edit->text(), QStringLiteral("new"));
    }

    void theCountStandsOnTheBaselineOfItsLabel()
    {
        auto window = open({});
        // The same digit in both: the lowest inked row is the baseline.
        window->setText(1181, QStringLiteral("0"));
        window->setText(1063, QStringLiteral("0"));
        const QImage image = window->grab().toImage();
        const auto lowestInk = [&image](const QRect &rect) {
            for (int y = rect.bottom(); y >= rect.top(); --y)
                for (int x = rect.left(); x <= rect.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 128)
                        return y;
            return -1;
        };
        const int label = lowestInk(window->control(1181)->geometry());
        QVERIFY(label > 0);
        QCOMPARE(lowestInk(window->control(1063)->geometry()), label);
    }

    void fileRenameWritesInPlaceWhereNoTemporaryFileCanBeMade_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("read-only folder") << QStringLiteral("list.conf") << true;
        // The temporary file's longer name is more than a folder entry holds.
        QTest::newRow("name at the length limit")
            << QString(250, QLatin1Char('n')) + ".conf" << false;
    }

    void fileRenameWritesInPlaceWhereNoTemporaryFileCanBeMade()
    {
        QFETCH(QString, name);
        QFETCH(bool, readOnlyFolder);
        const QString folder = path(QStringLiteral("lists"));
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QLatin1Char('/') + name;
        QVERIFY(writeFile(target, "old config, longer than the new one\r\n"));
        QVERIFY(writeFile(path("reply.txt"), "new\r\n"));
        if (readOnlyFolder)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        CFileRenameDlg dialog(m_ui);
        dialog.m_strSource = path("reply.txt");
        dialog.m_strNewName = target;
        m_ui.dialogScripts = {[](QDialog &) { return DialogAnswer::Ok; }};
        m_ui.messageAnswers = {DialogAnswer::Ok};
        const DialogAnswer answer = m_ui.runModal(dialog);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(answer, DialogAnswer::Ok);
        QCOMPARE(readFile(target), QByteArray("new\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name});
        QVERIFY(m_ui.askedOf(Kind::Message).isEmpty());
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
