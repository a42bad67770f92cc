// The template builder, dialog units, the dialog font and the UI services.
#include "FakeUiServices.h"
#include "common/Translation.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "ui/DialogUnits.h"
#include "ui/PropertySheet.h"
#include "ui/QtUiServices.h"
#include "ui/TemplateDialog.h"
#include "ui/UpDownControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(QList<FileFilter>)

namespace {

using K = ControlKind;
using S = ControlStyle;

// Two pages with every kind of control a page binds, for the sheet and the
// generic checks.
const DialogTemplate kPageOne{9001,
                              "一",
                              {200, 150},
                              "ＭＳ Ｐゴシック",
                              9,
                              {
                                  {IDC_STATIC, K::Static, "名前", {7, 7, 50, 8}},
                                  {10, K::Edit, "", {60, 5, 100, 14}},
                                  {11, K::RadioButton, "yes", {60, 22, 28, 10}, S::GroupStart},
                                  {12, K::RadioButton, "no", {90, 22, 28, 10}},
                                  {IDC_STATIC, K::Static, "数", {7, 38, 50, 8}, S::GroupStart},
                                  {13, K::Edit, "", {60, 36, 48, 14}},
                                  {14, K::UpDown, "", {0, 0, 10, 14}, S::AttachToBuddy},
                                  {15, K::CheckBox, "Default", {112, 38, 40, 10}},
                                  {IDC_STATIC, K::Static, "方針", {7, 56, 50, 8}},
                                  {16, K::DropDownList, "", {60, 54, 66, 60}},
                                  {IDC_STATIC, K::GroupBox, "枠", {4, 72, 190, 70}},
                                  {IDC_STATIC, K::Static, "行", {7, 82, 50, 8}},
                                  {17, K::MultiLineEdit, "", {60, 80, 100, 37}},
                                  {18, K::ListBox, "", {60, 120, 100, 20}, {}, "一覧"},
                              }};
const DialogTemplate kPageTwo{9002,
                              "二",
                              {180, 60},
                              "ＭＳ Ｐゴシック",
                              9,
                              {
                                  {21, K::RadioButton, "a", {7, 7, 30, 10}, S::GroupStart},
                                  {IDC_STATIC, K::Static, "番号", {7, 22, 40, 8}},
                                  {20, K::Edit, "", {50, 20, 48, 14}},
                                  {22, K::RadioButton, "b", {40, 7, 30, 10}},
                                  {23, K::RadioButton, "c", {7, 40, 30, 10}, S::GroupStart},
                                  {24, K::RadioButton, "d", {40, 40, 30, 10}},
                              }};

struct PageRecord
{
    QByteArray name;
    qint32 choice = -1;
    qint32 number = 0;
    quint32 useDefault = 0;
    QByteArray policy;
    QByteArray lines;
    quint32 port = 25;
    qint32 mode = 0;
};

class RecordPage : public TemplatePage
{
public:
    RecordPage(const DialogTemplate &t, PageRecord &record) : TemplatePage(t), m_record(record)
    {
        if (auto *list = item<QComboBox>(16))
            list->addItems({QStringLiteral("open"), QStringLiteral("open+confirm")});
    }

protected:
    QList<FieldBinding> bindings() override
    {
        PageRecord &r = m_record;
        if (dialogTemplate().id == kPageOne.id)
            return {textField(10, r.name),     radioField(11, r.choice),
                    signedField(13, r.number), checkField(15, r.useDefault),
                    choiceField(16, r.policy), textField(17, r.lines)};
        return {unsignedField(20, r.port), radioField(23, r.mode)};
    }

private:
    PageRecord &m_record;
};

// Every template the builder meets: the program's, a sheet frame, the test pages.
QList<DialogTemplate> everyTemplate()
{
    QList<DialogTemplate> all(dialogTemplates().begin(), dialogTemplates().end());
    all << propertySheetFrame("枠", {200, 150}, true) << kPageOne << kPageTwo;
    return all;
}

// Answers the next modal widget that opens, from the event loop.
void whenModalOpens(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        for (int i = 0; i < 200 && !QApplication::activeModalWidget(); ++i)
            QTest::qWait(10);
        if (QWidget *modal = QApplication::activeModalWidget())
            act(modal);
    });
}

} // namespace

class TestUi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyIconTheWindowsShowIsBuiltIn()
    {
        // The program icon and the placeholder buttons' triangle are linked
        // in as Qt resources; a broken resource rule leaves blank buttons.
        for (int id : {int(IDR_MAINFRAME), int(IDI_PLACEHOLDER)})
            QVERIFY2(!resourceIcon(id).pixmap(16, 16).isNull(), qPrintable(QString::number(id)));
    }

    void everyTemplateBuildsWithUniqueIdsAndItsStates()
    {
        for (const DialogTemplate &t : everyTemplate()) {
            TemplateDialog dialog(t);
            QCOMPARE(dialog.windowTitle(), QString::fromUtf8(t.caption));
            QCOMPARE(dialog.size(), dialogUnitsToPixels(t.size, dialog.baseUnits()));
            QSet<int> ids;
            for (const ControlTemplate &row : t.controls) {
                if (row.id == IDC_STATIC)
                    continue;
                QVERIFY2(!ids.contains(row.id),
                         qPrintable(QStringLiteral("template %1, id %2").arg(t.id).arg(row.id)));
                ids.insert(row.id);
                QWidget *w = dialog.control(row.id);
                QVERIFY(w);
                QCOMPARE(w->objectName(), QString::number(row.id));
                QCOMPARE(dialog.findChild<QWidget *>(QString::number(row.id)), w);
                QCOMPARE(dialog.text(row.id), QString::fromUtf8(row.text));
                QCOMPARE(w->isEnabled(), !row.style.testFlag(ControlStyle::Disabled));
                QCOMPARE(w->isHidden(), row.style.testFlag(ControlStyle::Hidden));
                // An attached up-down shares its field's place.
                const ControlTemplate *next =
                    &row + 1 < t.controls.data() + t.controls.size() ? &row + 1 : nullptr;
                QRect place = w->geometry();
                if (next && next->style.testFlag(ControlStyle::AttachToBuddy))
                    place = place.united(dialog.control(next->id)->geometry());
                if (row.kind != ControlKind::DropDownList &&
                    !row.style.testFlag(ControlStyle::AttachToBuddy))
                    QCOMPARE(place, dialogUnitsToPixels(row.rect, dialog.baseUnits()));
                if (auto *edit = qobject_cast<QLineEdit *>(w)) {
                    QCOMPARE(edit->echoMode() == QLineEdit::Password,
                             row.style.testFlag(ControlStyle::Password));
                    QCOMPARE(edit->isReadOnly(), row.style.testFlag(ControlStyle::ReadOnly));
                    QCOMPARE(edit->hasFrame(), !row.style.testFlag(ControlStyle::NoBorder));
                }
                if (auto *button = qobject_cast<QPushButton *>(w))
                    QCOMPARE(button->isDefault(), row.style.testFlag(ControlStyle::DefaultButton));
            }
            const QList<int> built = dialog.controlIds();
            QCOMPARE(QSet<int>(built.begin(), built.end()), ids);
        }
        QVERIFY(!findDialogTemplate(99));
    }

    void convertsDialogUnitsRoundingLikeTheWindowsDialogManager()
    {
        // With base units 6 x 13: 10.5 -> 11, 162.5 -> 163, 301.5 -> 302, 120.25 -> 120.
        QCOMPARE(dialogUnitsToPixels(QRect(7, 100, 201, 74), {6, 13}), QRect(11, 163, 302, 120));
        QCOMPARE(dialogUnitsToPixels(QSize(215, 225), {7, 15}), QSize(376, 422));
        QCOMPARE(dialogUnitsToPixels(QRect(0, 0, 4, 8), {5, 11}), QRect(0, 0, 5, 11));
    }

    void baseUnitsComeFromTheDialogFontAlone()
    {
        QFont fixed(QStringLiteral("DejaVu Sans"));
        fixed.setPixelSize(13);
        const QFontMetrics metrics(fixed);
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        const DialogBaseUnits base = dialogBaseUnits(fixed);
        QCOMPARE(base.x, qRound(letters / 52.0));
        QCOMPARE(base.y, metrics.height());

        // The application's font does not move a dialog's controls.
        TemplateDialog before(IDD_TITLE);
        const QFont appFont = QApplication::font();
        QFont huge = appFont;
        huge.setPointSize(30);
        QApplication::setFont(huge);
        TemplateDialog after(IDD_TITLE);
        QApplication::setFont(appFont);
        QCOMPARE(after.baseUnits().x, before.baseUnits().x);
        QCOMPARE(after.control(1161)->geometry(), before.control(1161)->geometry());
    }

    void substitutesTheJapaneseWindowsFont()
    {
        if (QFontDatabase::hasFamily(QStringLiteral("ＭＳ Ｐゴシック")))
            QSKIP("the Windows font itself is installed");
        if (!QFontDatabase::hasFamily(QStringLiteral("IPAPGothic")))
            QSKIP("IPAPGothic is not installed");
        const QFont font = dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
        QCOMPARE(font.family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(font.pointSize(), 9);
        TemplateDialog dialog(IDD_TAVELIN_DIALOG);
        QCOMPARE(dialog.font().family(), QStringLiteral("IPAPGothic"));
    }

    void everyTextHasGlyphsInTheDialogFont()
    {
        // A missing glyph shows as a box: every character of every caption,
        // control text and string must be in the font the dialogs use.
        QStringList texts = {loadString(IDS_ABOUTBOX), loadString(IDP_SOCKETS_INIT_FAILED)};
        for (const DialogTemplate &t : dialogTemplates()) {
            texts.append(QString::fromUtf8(t.caption));
            for (const ControlTemplate &row : t.controls)
                if (row.kind != ControlKind::Icon)
                    texts.append(QString::fromUtf8(row.text));
        }
        const QFontMetrics metrics(dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
        for (const QString &text : std::as_const(texts)) {
            for (const char32_t c : text.toUcs4())
                QVERIFY2(c == U' ' || metrics.inFontUcs4(c), qPrintable(text));
        }
    }

    void controlsLieAboveTheFramesAroundThem()
    {
        TemplateDialog dialog(IDD_TAVELIN_DIALOG);
        dialog.showControl(1167, true);
        for (int id : {1019, 1023, 1028, 1167, 1168})
            QCOMPARE(dialog.childAt(dialog.control(id)->geometry().center()), dialog.control(id));
    }

    void parsesFilterLists_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QList<FileFilter>>("filters");
        QTest::addColumn<QStringList>("qtFilters");
        QTest::newRow("one") << QStringLiteral("全てのﾌｧｲﾙ (*.*)|*.*||")
                             << QList<FileFilter>{{QStringLiteral("全てのﾌｧｲﾙ (*.*)"),
                                                   QStringLiteral("*.*")}}
                             << QStringList{QStringLiteral("全てのﾌｧｲﾙ (*)")};
        // "*.*" is every file, names without a dot too.
        QTest::newRow("all among others")
            << QStringLiteral("mail|*.qxw;*.*||")
            << QList<FileFilter>{{QStringLiteral("mail"), QStringLiteral("*.qxw;*.*")}}
            << QStringList{QStringLiteral("mail (*.qxw *)")};
        QTest::newRow("two, text without the pattern")
            << QStringLiteral("config ﾌｧｲﾙ|*.conf|all|*.a;*.b||")
            << QList<FileFilter>{{QStringLiteral("config ﾌｧｲﾙ"), QStringLiteral("*.conf")},
                                 {QStringLiteral("all"), QStringLiteral("*.a;*.b")}}
            << QStringList{QStringLiteral("config ﾌｧｲﾙ (*.conf)"), QStringLiteral("all (*.a *.b)")};
        QTest::newRow("no closing pipes")
            << QStringLiteral("t|*.t")
            << QList<FileFilter>{{QStringLiteral("t"), QStringLiteral("*.t")}}
            << QStringList{QStringLiteral("t (*.t)")};
        QTest::newRow("empty") << QString() << QList<FileFilter>{} << QStringList{};
    }

    void parsesFilterLists()
    {
        QFETCH(QString, list);
        QFETCH(QList<FileFilter>, filters);
        QFETCH(QStringList, qtFilters);
        QCOMPARE(parseFilterList(list), filters);
        QCOMPARE(qtNameFilters(list), qtFilters);
    }

    void defaultExtensionBecomesASuffix()
    {
        QCOMPARE(defaultSuffix(QStringLiteral("*.conf")), QStringLiteral("conf"));
        QCOMPARE(defaultSuffix(QStringLiteral("info")), QStringLiteral("info"));
        QCOMPARE(defaultSuffix(QStringLiteral("*")), QString());
        QCOMPARE(defaultSuffix(QStringLiteral("*.*")), QString());
    }

    void presentsACoreMessageInOneCall()
    {
        FakeUiServices ui;
        ui.messageAnswers = {DialogAnswer::Ok, DialogAnswer::Ok};
        QCOMPARE(ui.showMessage(nullptr, UserMessage{QStringLiteral("失敗"), QStringLiteral("送信"),
                                                     UserMessage::Icon::Stop}),
                 DialogAnswer::Ok);
        ui.showMessage(nullptr, {QStringLiteral("?"), QString(), UserMessage::Icon::Question});
        QCOMPARE(ui.asked.size(), 2);
        QCOMPARE(ui.asked[0].text, QStringLiteral("失敗"));
        QCOMPARE(ui.asked[0].caption, QStringLiteral("送信"));
        QCOMPARE(ui.asked[0].buttons, MessageButtons::Ok);
        QCOMPARE(ui.asked[0].icon, MessageIcon::Stop);
        QCOMPARE(ui.asked[1].icon, MessageIcon::Question);
    }

    void everyRadioRunIsOneExclusiveGroupThatCanShowNone()
    {
        for (const DialogTemplate &t : everyTemplate()) {
            TemplateDialog dialog(t);
            // Radio rows by the group-start run they stand in.
            QList<QList<int>> runs;
            bool started = true;
            for (const ControlTemplate &row : t.controls) {
                started = started || row.style.testFlag(ControlStyle::GroupStart);
                if (row.kind != ControlKind::RadioButton)
                    continue;
                if (started)
                    runs.append(QList<int>());
                runs.last().append(row.id);
                started = false;
            }
            QSet<QButtonGroup *> groups;
            for (const QList<int> &run : std::as_const(runs)) {
                const QByteArray where =
                    QByteArray::number(t.id) + "/" + QByteArray::number(run[0]);
                QButtonGroup *group = dialog.radioGroup(run[0]);
                QVERIFY2(group && group->exclusive() && !groups.contains(group), where);
                groups.insert(group);
                QCOMPARE(group->buttons().size(), run.size());
                for (qsizetype i = 0; i < run.size(); ++i)
                    QCOMPARE(group->id(dialog.item<QAbstractButton>(run[i])), int(i));
                dialog.checkRadio(run[0], int(run.size()) - 1);
                dialog.enable(run[0], true); // a greyed radio takes no click
                dialog.press(run[0]);
                QCOMPARE(dialog.checkedRadio(run.last()), 0);
                dialog.checkRadio(run[0], -1);
                QCOMPARE(dialog.checkedRadio(run[0]), -1);
                QVERIFY2(!group->checkedButton(), where);
            }
        }
    }

    void everyInputControlHasALabelOrAName()
    {
        for (const DialogTemplate &t : everyTemplate()) {
            TemplateDialog dialog(t);
            QSet<const QWidget *> labelled;
            for (const QLabel *label : dialog.findChildren<QLabel *>())
                labelled.insert(label->buddy());
            for (const QWidget *w : dialog.findChildren<QWidget *>()) {
                const bool input =
                    qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w) ||
                    qobject_cast<const QComboBox *>(w) || qobject_cast<const QListWidget *>(w) ||
                    qobject_cast<const UpDownControl *>(w);
                if (input && w->parentWidget() == &dialog)
                    QVERIFY2(labelled.contains(w) || !w->accessibleName().isEmpty(),
                             qPrintable(QStringLiteral("template %1, %2 %3")
                                            .arg(t.id)
                                            .arg(w->metaObject()->className(), w->objectName())));
            }
        }
    }

    void upDownKeepsTypedNumbersAndLeavesEmptyTextToThePage()
    {
        PageRecord record;
        RecordPage page(kPageOne, record);
        page.activate();
        auto *upDown = page.item<UpDownControl>(14);
        upDown->setRange(0, 9999);
        QCOMPARE(upDown->buddy(), page.item<QLineEdit>(13));
        page.setText(13, QStringLiteral("12000"));
        QVERIFY(!page.TakeFieldValues());
        QCOMPARE(record.number, 12000);
        QCOMPARE(page.text(13), QStringLiteral("12000"));
        upDown->stepBy(1); // the arrows stay within their range
        QCOMPARE(page.text(13), QStringLiteral("9999"));

        page.setText(10, QStringLiteral("changed"));
        page.setText(13, QString());
        QCOMPARE(page.TakeFieldValues(),
                 std::optional(FieldError{13, QStringLiteral("整数を入力してください。")}));
        QCOMPARE(page.text(13), QString());
        QCOMPARE(record.name, QByteArray()); // nothing taken
        upDown->stepBy(-1);
        QCOMPARE(page.text(13), QStringLiteral("9998"));
    }

    void integerFieldsReadOnlyAWholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("allowNegative");
        QTest::addColumn<qint64>("expected"); // -999: refused
        QTest::newRow("blanks and tabs around") << " \t42 \t" << false << qint64(42);
        QTest::newRow("zero") << "0" << false << qint64(0);
        QTest::newRow("negative where allowed") << "-7" << true << qint64(-7);
        QTest::newRow("negative where not") << "-7" << false << qint64(-999);
        QTest::newRow("trailing letters") << "12abc" << true << qint64(-999);
        QTest::newRow("empty") << "" << true << qint64(-999);
        QTest::newRow("blanks only") << "  " << false << qint64(-999);
        QTest::newRow("above the range") << "4294967296" << false << qint64(-999);
        QTest::newRow("past the 31st character")
            << QString(30, QLatin1Char(' ')) + QStringLiteral("12") << false << qint64(1);
    }

    void integerFieldsReadOnlyAWholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, allowNegative);
        QFETCH(qint64, expected);
        const std::optional<qint64> read =
            parseFieldInteger(text, allowNegative ? INT32_MIN : 0, UINT32_MAX);
        QCOMPARE(read.value_or(-999), expected);
    }

    void aSheetKeepsARefusedPageOpenOnItsControlAndTakesNothing()
    {
        FakeUiServices ui;
        PageRecord record;
        record.name = "\x93\xfa\x96\x7b"; // Shift-JIS bytes the locale cannot show
        record.policy = "OPEN";
        PropertySheet sheet(ui, "シート", {&kPageOne, &kPageTwo}, false);
        auto *one = new RecordPage(kPageOne, record);
        auto *two = new RecordPage(kPageTwo, record);
        sheet.addPage(one);
        sheet.addPage(two);
        QCOMPARE(sheet.windowTitle(), QStringLiteral("シート"));
        QVERIFY(!sheet.control(SheetIds::IDC_APPLY));
        sheet.show();
        QCOMPARE(one->text(16), QStringLiteral("open")); // the first entry that begins so
        QVERIFY(!two->wasOpened());
        for (TemplatePage *page : {one, two}) // each page fits in its tab
            QVERIFY(page->parentWidget()->width() >= page->width() &&
                    page->parentWidget()->height() >= page->height());

        one->checkRadio(11, 1);
        QVERIFY(sheet.setCurrentPage(1)); // leaving page one takes it
        QCOMPARE(record.choice, 1);
        QCOMPARE(record.name, QByteArray("\x93\xfa\x96\x7b"));
        QCOMPARE(record.policy, QByteArray("open"));

        two->checkRadio(23, 1);
        two->setText(20, QStringLiteral("25x"));
        QVERIFY(!sheet.setCurrentPage(0));
        sheet.press(IDOK);
        QVERIFY(sheet.isVisible());
        QCOMPARE(sheet.result(), int(QDialog::Rejected));
        QCOMPARE(sheet.currentPage(), 1);
        QCOMPARE(sheet.focusWidget(), two->control(20));
        QCOMPARE(record.port, 25u);
        QCOMPARE(record.mode, 0);
        const QList<FakeUiServices::Question> refusals = ui.askedOf(FakeUiServices::Kind::Message);
        QCOMPARE(refusals.size(), 2);
        QCOMPARE(refusals[1].text, QStringLiteral("正の整数を入力してください。"));

        two->setText(20, QStringLiteral("587"));
        sheet.press(IDOK);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(record.port, 587u);
        QCOMPARE(record.mode, 1);
    }

    void realMessageBoxShowsTheProgramsButtonsAndReturnsThePressedOne_data()
    {
        QTest::addColumn<MessageButtons>("buttons");
        QTest::addColumn<int>("pressed");
        QTest::addColumn<DialogAnswer>("expected");
        QTest::addColumn<QStringList>("texts");
        const QStringList okCancel = {QStringLiteral("OK"), QStringLiteral("ｷｬﾝｾﾙ")};
        const QStringList yesNo = {QStringLiteral("はい"), QStringLiteral("いいえ")};
        QTest::newRow("OK") << MessageButtons::OkCancel << int(QMessageBox::Ok) << DialogAnswer::Ok
                            << okCancel;
        QTest::newRow("Cancel") << MessageButtons::OkCancel << int(QMessageBox::Cancel)
                                << DialogAnswer::Cancel << okCancel;
        QTest::newRow("Yes") << MessageButtons::YesNo << int(QMessageBox::Yes) << DialogAnswer::Yes
                             << yesNo;
        QTest::newRow("No") << MessageButtons::YesNo << int(QMessageBox::No) << DialogAnswer::No
                            << yesNo;
    }

    void realMessageBoxShowsTheProgramsButtonsAndReturnsThePressedOne()
    {
        QFETCH(MessageButtons, buttons);
        QFETCH(int, pressed);
        QFETCH(DialogAnswer, expected);
        QFETCH(QStringList, texts);
        // Qt's own texts would read "キャンセル" where the program's dialogs say "ｷｬﾝｾﾙ".
        const Translation japanese(QStringLiteral("ja"));
        QVERIFY(japanese.isComplete());
        QtUiServices ui;
        QString shownTitle;
        Qt::TextFormat format = Qt::AutoText;
        QStringList shownTexts;
        bool buttonIcons = false;
        whenModalOpens([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
                return;
            shownTitle = box->windowTitle();
            format = box->textFormat();
            for (const QAbstractButton *button : box->buttons()) {
                shownTexts.append(button->text());
                buttonIcons = buttonIcons || !button->icon().isNull();
            }
            box->button(QMessageBox::StandardButton(pressed))->click();
        });
        // A title that looks like markup is shown as typed.
        QCOMPARE(ui.messageBox(nullptr, QStringLiteral("<b>ml</b>を削除していいですか"), QString(),
                               buttons, MessageIcon::Question),
                 expected);
        QCOMPARE(shownTitle, QCoreApplication::applicationName());
        QCOMPARE(format, Qt::PlainText);
        shownTexts.sort();
        texts.sort();
        QCOMPARE(shownTexts, texts);
        QVERIFY(!buttonIcons);
    }

    void realModalRunnerEndsWithTheDialogsButton()
    {
        QtUiServices ui;
        TemplateDialog dialog(IDD_TITLE);
        whenModalOpens([](QWidget *modal) {
            auto *d = qobject_cast<TemplateDialog *>(modal);
            if (!d)
                return;
            d->setText(1161, QStringLiteral("typed"));
            d->press(IDOK);
        });
        QCOMPARE(ui.runModal(dialog), DialogAnswer::Ok);
        QCOMPARE(dialog.text(1161), QStringLiteral("typed"));

        TemplateDialog second(IDD_TITLE);
        whenModalOpens([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QCOMPARE(ui.runModal(second), DialogAnswer::Cancel);
    }

    void cancelRunsTheDialogsCancelHandlerOnce()
    {
        // Escape, the close box and the Cancel button all end in one OnCancel.
        class Counting : public TemplateDialog
        {
        public:
            Counting() : TemplateDialog(IDD_TITLE) {}
            int cancels = 0;

        protected:
            void OnCancel() override
            {
                ++cancels;
                TemplateDialog::OnCancel();
            }
        };
        Counting byButton;
        byButton.show();
        byButton.press(IDCANCEL);
        QCOMPARE(byButton.cancels, 1);
        QCOMPARE(byButton.result(), int(QDialog::Rejected));
        Counting byKey;
        byKey.show();
        QTest::keyClick(&byKey, Qt::Key_Escape);
        QCOMPARE(byKey.cancels, 1);
        QVERIFY(byKey.isHidden());
    }

    void enterPressesTheFocusedButtonElseTheDefault()
    {
        TemplateDialog typed(IDD_TITLE);
        typed.show();
        QVERIFY(QTest::qWaitForWindowActive(&typed));
        typed.control(1161)->setFocus();
        QTest::keyClick(typed.control(1161), Qt::Key_Return);
        QCOMPARE(typed.result(), int(QDialog::Accepted));

        TemplateDialog onCancel(IDD_TITLE);
        onCancel.show();
        QVERIFY(QTest::qWaitForWindowActive(&onCancel));
        onCancel.control(IDCANCEL)->setFocus();
        QTest::keyClick(onCancel.control(IDCANCEL), Qt::Key_Return);
        QVERIFY(onCancel.isHidden());
        QCOMPARE(onCancel.result(), int(QDialog::Rejected));
    }

    void fakeRecordsUnansweredQuestions()
    {
        FakeUiServices ui;
        QCOMPARE(ui.messageBox(nullptr, QStringLiteral("q"), QStringLiteral("c"),
                               MessageButtons::OkCancel, MessageIcon::None),
                 DialogAnswer::Cancel);
        QVERIFY(!ui.openFileName(nullptr, {}));
        QVERIFY(!ui.pickFolder(nullptr, QStringLiteral("f"), QStringLiteral("/tmp")));
        TemplateDialog dialog(IDD_TITLE);
        QCOMPARE(ui.runModal(dialog), DialogAnswer::Cancel);
        QCOMPARE(ui.unanswered, 4);
        QCOMPARE(ui.asked.size(), 4);
        QCOMPARE(ui.askedOf(FakeUiServices::Kind::Modal).at(0).templateId, int(IDD_TITLE));
        QCOMPARE(ui.askedOf(FakeUiServices::Kind::Folder).at(0).startFolder,
                 QStringLiteral("/tmp"));
    }
};

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
