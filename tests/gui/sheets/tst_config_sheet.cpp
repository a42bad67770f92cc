// The config editor sheet, its pages and placeholder menus, driven as the
// config tab's edit button drives them.
#include "CliRun.h"
#include "FakeUiServices.h"

#include "config/ConfigPageLayout.h"
#include "config/PlaceholderMenus.h"
#include "resources/StringTable.h"
#include "sheets/ConfigPage.h"
#include "sheets/ConfigSheet.h"
#include "ui/QtUiServices.h"
#include "ui/UpDownControl.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(Keyword)

namespace {

using Script = std::function<void(CConfigSheet &)>;

CConfigPage *pageOf(CConfigSheet &sheet, Keyword keyword)
{
    const int index = keywordInfo(keyword).page - 1;
    sheet.setCurrentPage(index);
    return static_cast<CConfigPage *>(sheet.page(index));
}

int fieldOf(Keyword keyword)
{
    return keywordControls(keyword).field;
}

// Every page visited, then OK.
void visitAll(CConfigSheet &sheet)
{
    for (int i = 0; i < sheet.pageCount(); ++i)
        QVERIFY(sheet.setCurrentPage(i));
}

} // namespace

class TestConfigSheet : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QByteArray &config)
    {
        const QString path = m_dir.filePath(QStringLiteral("list.conf"));
        return writeFile(path, config) ? path : QString();
    }

    // Edits the file as button 1081 does, the owner played by the script;
    // Ok presses OK (a refusal leaves the sheet open, then Cancel ends it).
    bool edit(const QString &path, FakeUiServices &ui, const Script &script, DialogAnswer answer)
    {
        ui.dialogScripts.append([&script, answer](QDialog &dialog) {
            auto &sheet = static_cast<CConfigSheet &>(dialog);
            sheet.show();
            script(sheet);
            return answer;
        });
        return EditConfigFile(ui, nullptr, path);
    }

    QByteArray normalized(const QByteArray &original)
    {
        const QString path = m_dir.filePath(QStringLiteral("normalized.conf"));
        if (!writeFile(path, original) ||
            runCli({QStringLiteral("config"), QStringLiteral("normalize"), path}, m_dir.path())
                    .status != 0)
            return "<not normalized>";
        return readFile(path);
    }

private Q_SLOTS:
    void everyKeywordHasItsLabelFieldsAndTooltipByTheLayoutRule()
    {
        QSet<QString> tips;
        for (const KeywordControls &row : keywordControls()) {
            const KeywordInfo &info = keywordInfo(row.keyword);
            const DialogTemplate &t = knownTemplate(configPageTemplateId(info.page));
            const ControlTemplate *label = t.control(row.label);
            const ControlTemplate *field = t.control(row.field);
            QVERIFY2(label && field, info.name);
            QCOMPARE(label->text, info.name);
            QCOMPARE(label->rect.left(), 7);
            QCOMPARE(field->rect.left(), 70);
            const ControlKind expected[] = {
                info.choices == ChoiceList::None ? ControlKind::Edit : ControlKind::DropDownList,
                ControlKind::RadioButton, ControlKind::Edit, ControlKind::Edit,
                ControlKind::MultiLineEdit};
            QCOMPARE(field->kind, expected[int(info.kind)]);
            for (int id : {row.partner, row.useDefault, row.insert})
                QVERIFY2(id == 0 || t.control(id), info.name);
            // A tooltip that explains, not an identifier; each its own.
            const QString tip = loadString(row.tooltip);
            QVERIFY2(!tip.isEmpty() && !tip.contains(QLatin1String("IDS_")), info.name);
            QVERIFY2(!tips.contains(tip), info.name);
            tips.insert(tip);
        }
        FakeUiServices ui;
        CConfigSheet sheet(ui);
        QCOMPARE(sheet.windowTitle(), QStringLiteral("config設定"));
        QCOMPARE(sheet.pageCount(), 5);
        QVERIFY(!sheet.control(SheetIds::IDC_APPLY));
        // The sheet has its pages' size: the tabs that do not fit in the one
        // row Qt has scroll, and the buttons stay inside.
        QCOMPARE(sheet.size(), dialogUnitsToPixels(sheet.dialogTemplate().size, sheet.baseUnits()));
        auto *tabs = sheet.item<QTabWidget>(SheetIds::IDC_TABS);
        QVERIFY(tabs->usesScrollButtons());
        QVERIFY(sheet.rect().contains(sheet.control(IDCANCEL)->geometry()));
        for (int i = 0; i < sheet.pageCount(); ++i) {
            for (QWidget *w : sheet.page(i)->findChildren<QWidget *>()) {
                if (!w->toolTip().isEmpty())
                    QVERIFY2(qobject_cast<QLabel *>(w), qPrintable(w->objectName()));
            }
        }
    }

    void enablesExactlyTheKeywordsTheFileHolds()
    {
        const QString path =
            write("admin_passwd = secret\nother = 1\nmoderate = yes\nwelcome = no\n");
        FakeUiServices ui;
        edit(
            path, ui,
            [](CConfigSheet &sheet) {
                visitAll(sheet);
                for (const KeywordControls &row : keywordControls()) {
                    CConfigPage *page = pageOf(sheet, row.keyword);
                    const bool present =
                        row.keyword == Keyword::admin_passwd || row.keyword == Keyword::moderate;
                    for (int id : presenceControls(row))
                        QVERIFY2(page->isEnabled(id) == present, keywordInfo(row.keyword).name);
                    if (row.insert != 0)
                        QVERIFY(page->isEnabled(row.insert)); // never disabled
                }
                CConfigPage *page = pageOf(sheet, Keyword::moderate);
                QCOMPARE(page->checkedRadio(fieldOf(Keyword::moderate)), 0);
                QCOMPARE(page->checkedRadio(fieldOf(Keyword::strip)), -1);
                const int arrows = keywordControls(Keyword::maxlength).partner;
                QCOMPARE(pageOf(sheet, Keyword::maxlength)->item<UpDownControl>(arrows)->upper(),
                         9999);
            },
            DialogAnswer::Cancel);
        QCOMPARE(ui.unanswered, 0);
    }

    void writesWhatThePagesShow_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<Keyword>("keyword");
        QTest::addColumn<QString>("typed"); // into the field; empty: left alone
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("written");
        const Keyword policy = Keyword::subscribe_policy;
        QTest::newRow("yes/no other than yes")
            << QByteArray("strip = maybe") << Keyword::strip << ""
            << "no" << QByteArray("=   no\r\n");
        QTest::newRow("a choice in capitals")
            << QByteArray("subscribe_policy = Open") << policy << ""
            << "open" << QByteArray("=   open\r\n");
        QTest::newRow("the full choice, not its prefix")
            << QByteArray("subscribe_policy = open+confirm") << policy << ""
            << "open+confirm" << QByteArray("=   open+confirm\r\n");
        QTest::newRow("a choice the list does not know")
            << QByteArray("who_access = closed+confirm") << Keyword::who_access << ""
            << "closed+confirm" << QByteArray("=   closed+confirm\r\n");
        QTest::newRow("above the arrows' range")
            << QByteArray("maxlength = 40000") << Keyword::maxlength << "12000"
            << "40000" << QByteArray("=   12000\r\n");
        const QByteArray longValue(40000, 'x');
        QTest::newRow("longer than Qt's edits take")
            << "description = " + longValue << Keyword::description << ""
            << QString::fromLatin1(longValue) << "=   " + longValue + "\r\n";
        QTest::newRow("a no-break space in a block")
            << QByteArray("comments << END\na\xc2\xa0"
                          "b\nEND")
            << Keyword::comments << "" << QStringLiteral("a\u00a0b\r\n")
            << QByteArray("\r\na\xc2\xa0"
                          "b\r\nEND");
        QTest::newRow("Default ticked")
            << QByteArray("digest_maxdays = 7") << Keyword::digest_maxdays << "Default"
            << "7" << QByteArray("digest_maxdays      =\r\n");
    }

    void writesWhatThePagesShow()
    {
        QFETCH(QByteArray, line);
        QFETCH(Keyword, keyword);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QByteArray, written);
        const QString path = write(line + "\n");
        FakeUiServices ui;
        const bool saved = edit(
            path, ui,
            [&](CConfigSheet &sheet) {
                CConfigPage *page = pageOf(sheet, keyword);
                const KeywordControls &row = keywordControls(keyword);
                QWidget *field = page->control(row.field);
                if (auto *list = qobject_cast<QComboBox *>(field))
                    QCOMPARE(list->currentText(), shown);
                else if (keywordInfo(keyword).kind == KeywordKind::YesNo)
                    QCOMPARE(QLatin1String(page->checkedRadio(row.field) == 0 ? "yes" : "no"),
                             shown);
                else
                    QCOMPARE(page->text(row.field), shown);
                if (typed == QLatin1String("Default"))
                    page->setChecked(row.useDefault, true);
                else if (!typed.isEmpty())
                    page->setText(row.field, typed);
                sheet.press(IDOK);
            },
            DialogAnswer::Ok);
        QVERIFY(saved);
        QVERIFY2(readFile(path).contains(written), readFile(path).left(300));
    }

    void aNonNumberRefusesOkUntilCancelWhichWritesNothing()
    {
        const QByteArray original = "description = x\r\ndigest_issue = 3\r\nmaxlength = 9\r\n";
        const QString path = write(original);
        const QDateTime modified = QFileInfo(path).lastModified();
        FakeUiServices ui;
        const bool saved = edit(
            path, ui,
            [](CConfigSheet &sheet) {
                pageOf(sheet, Keyword::description)
                    ->setText(fieldOf(Keyword::description), QStringLiteral("y"));
                CConfigPage *page = pageOf(sheet, Keyword::digest_issue);
                page->setText(fieldOf(Keyword::digest_issue), QStringLiteral("abc"));
                QVERIFY(!sheet.setCurrentPage(0));
                sheet.press(IDOK);
                QVERIFY(sheet.isVisible());
                QCOMPARE(sheet.focusWidget(), page->control(fieldOf(Keyword::digest_issue)));
            },
            DialogAnswer::Cancel);
        QVERIFY(!saved);
        const QList<FakeUiServices::Question> refusals = ui.askedOf(FakeUiServices::Kind::Message);
        QCOMPARE(refusals.size(), 2);
        QCOMPARE(refusals[1].text, QStringLiteral("整数を入力してください。"));
        QCOMPARE(readFile(path), original);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
    }

    void okLeavesPagesNeverOpenedAsLoaded()
    {
        // A visit would write "open" and "closed" in place of these.
        const QByteArray original = "admin_passwd = a\nsubscribe_policy = Open\nwho_access = c\n";
        const QString path = write(original);
        FakeUiServices ui;
        QVERIFY(edit(
            path, ui, [](CConfigSheet &) {}, DialogAnswer::Ok));
        QCOMPARE(readFile(path), normalized(original));
        QVERIFY(readFile(path).contains("=   Open\r\n"));
    }

    void everyRealConfigComesBackAsNormalizedAfterVisitingEveryPage()
    {
        const QString fixtures = sharedFixturesDir();
        if (fixtures.isEmpty())
            QSKIP("the shared fixtures are not beside the checkout");
        const QStringList names =
            QDir(fixtures + QStringLiteral("/majordomo"))
                .entryList({QStringLiteral("*.config"), QStringLiteral("reply-config*.eml")});
        QVERIFY(names.size() >= 2);
        for (const QString &name : names) {
            const QByteArray original = readFile(fixtures + QStringLiteral("/majordomo/") + name);
            const QString path = write(original);
            FakeUiServices ui;
            QVERIFY2(edit(path, ui, visitAll, DialogAnswer::Ok), qPrintable(name));
            QVERIFY2(readFile(path) == normalized(original), qPrintable(name));
        }
    }

    void aSaveThatFailsIsShownWithItsReasonAndKeepsTheFile()
    {
        const QByteArray original = "advertise << END\r\n/a/\r\nEND\r\n";
        const QString path = write(original);
        FakeUiServices ui;
        const bool saved = edit(
            path, ui,
            [](CConfigSheet &sheet) {
                pageOf(sheet, Keyword::advertise)
                    ->setText(fieldOf(Keyword::advertise), QStringLiteral("/a/\r\nEND\r\n/b/"));
            },
            DialogAnswer::Ok);
        QVERIFY(!saved);
        const QList<FakeUiServices::Question> shown = ui.askedOf(FakeUiServices::Kind::Message);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.contains(path) && shown[0].text.contains(QLatin1String("END")),
                 qPrintable(shown[0].text));
        QCOMPARE(shown[0].icon, MessageIcon::Stop);
        QCOMPARE(readFile(path), original);
    }

    void eachMenuInsertsItsTextAtTheCaretAndOverASelection_data()
    {
        QTest::addColumn<Keyword>("keyword");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("inserted");
        const QString list = QStringLiteral("メーリングリスト名");
        const QString serial = QStringLiteral("通し番号");
        const QString from = QStringLiteral("From: アドレス");
        const QString version = QStringLiteral("majordomo のバージョン情報");
        QTest::newRow("footer") << Keyword::message_footer
                                << QStringList{list, serial, from, version} << 1 << "$ISSUE";
        QTest::newRow("fronter") << Keyword::message_fronter
                                 << QStringList{list, serial, from, version} << 3 << "$VERSION";
        QTest::newRow("headers") << Keyword::message_headers << QStringList{list, from, version}
                                 << 1 << "$SENDER";
        QTest::newRow("reply_to") << Keyword::reply_to << QStringList{from} << 0 << "$SENDER";
        QTest::newRow("subject") << Keyword::subject_prefix
                                 << QStringList{list, serial, from, version} << 1 << "$NUM";
    }

    void eachMenuInsertsItsTextAtTheCaretAndOverASelection()
    {
        QFETCH(Keyword, keyword);
        QFETCH(QStringList, labels);
        QFETCH(int, chosen);
        QFETCH(QString, inserted);
        QGuiApplication::clipboard()->setText(QStringLiteral("the owner's copy"));
        FakeUiServices ui;
        CConfigSheet sheet(ui);
        QVERIFY(sheet.config().Load(write("reply_to = abcdef\nsubject_prefix = abcdef\n"
                                          "message_footer << END\nabcdef\nEND\n"
                                          "message_fronter << END\nabcdef\nEND\n"
                                          "message_headers << END\nabcdef\nEND\n")));
        sheet.show();
        CConfigPage *page = pageOf(sheet, keyword);
        const KeywordControls &row = keywordControls(keyword);
        QWidget *field = page->control(row.field);
        const auto place = [field](int at, int length) {
            if (auto *edit = qobject_cast<QLineEdit *>(field))
                return edit->setSelection(at, length);
            auto *lines = static_cast<QPlainTextEdit *>(field);
            QTextCursor cursor = lines->textCursor();
            cursor.setPosition(at);
            cursor.setPosition(at + length, QTextCursor::KeepAnchor);
            lines->setTextCursor(cursor);
        };
        ui.menuAnswers = {chosen, chosen, std::nullopt};
        place(2, 0);
        page->press(row.insert);
        QCOMPARE(page->text(row.field).left(6 + inserted.size()), "ab" + inserted + "cdef");
        place(0, 2); // "ab" selected
        page->press(row.insert);
        const QString expected = inserted + inserted + "cdef";
        QCOMPARE(page->text(row.field).left(expected.size()), expected);
        page->press(row.insert); // dismissed: nothing changes
        QCOMPARE(page->text(row.field).left(expected.size()), expected);

        const QList<FakeUiServices::Question> menus = ui.askedOf(FakeUiServices::Kind::Menu);
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[0].entries, labels);
        QWidget *button = page->control(row.insert);
        QCOMPARE(menus[0].at, button->mapToGlobal(QPoint(button->width(), 0)));
        // The record has the new text before the page is left.
        QVERIFY(sheet.config()[keyword].text.startsWith(expected.toLatin1()));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the owner's copy"));

        // A field whose keyword the file lacks takes nothing.
        CConfigSheet absent(ui);
        QVERIFY(absent.config().Load(write("admin_passwd = x\n")));
        absent.show();
        page = pageOf(absent, keyword);
        ui.menuAnswers = {chosen};
        page->press(row.insert);
        QCOMPARE(page->text(row.field), QString());
        QCOMPARE(absent.config()[keyword].text, QByteArray());
    }

    void theRealMenuOpensAtTheButtonsTopRightCorner()
    {
        QtUiServices ui;
        CConfigSheet sheet(ui);
        QVERIFY(sheet.config().Load(write("subject_prefix = [x]\n")));
        // At the screen's left, so that the menu need not move to stay on it.
        sheet.move(sheet.screen()->availableGeometry().topLeft());
        sheet.show();
        CConfigPage *page = pageOf(sheet, Keyword::subject_prefix);
        const KeywordControls &row = keywordControls(Keyword::subject_prefix);
        QWidget *button = page->control(row.insert);
        QPoint openedAt;
        QTimer::singleShot(0, qApp, [&openedAt] {
            for (int i = 0; i < 200 && !QApplication::activePopupWidget(); ++i)
                QTest::qWait(10);
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                openedAt = menu->pos();
                menu->setActiveAction(menu->actions().value(2));
                QTest::keyClick(menu, Qt::Key_Return);
            }
        });
        page->item<QLineEdit>(row.field)->setCursorPosition(0);
        page->press(row.insert);
        QCOMPARE(openedAt, button->mapToGlobal(QPoint(button->width(), 0)));
        QCOMPARE(page->text(row.field), QStringLiteral("$SENDER[x]"));
    }
};

QTEST_MAIN(TestConfigSheet)
#include "tst_config_sheet.moc"
