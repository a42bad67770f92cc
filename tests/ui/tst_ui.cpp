// The template builder, dialog units, the dialog font and the UI services.
#include "FakeUiServices.h"
#include "resources/StringTable.h"
#include "ui/DialogUnits.h"
#include "ui/QtUiServices.h"
#include "ui/TemplateDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(QList<FileFilter>)

namespace {

// A core failure value as other areas hand them over.
struct CoreMessage
{
    enum class Icon
    {
        None,
        Information,
        Warning,
        Stop
    };
    QString text;
    QString caption;
    Icon icon = Icon::None;
};

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
    void everyTemplateBuildsWithUniqueIdsAndItsStates()
    {
        for (const DialogTemplate &t : dialogTemplates()) {
            TemplateDialog dialog(t.id);
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
                if (row.kind != ControlKind::DropDownList)
                    QCOMPARE(w->geometry(), dialogUnitsToPixels(row.rect, dialog.baseUnits()));
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
                             << QStringList{QStringLiteral("全てのﾌｧｲﾙ (*.*)")};
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
        ui.messageAnswers = {DialogAnswer::Ok};
        QCOMPARE(ui.showMessage(nullptr, CoreMessage{QStringLiteral("失敗"), QStringLiteral("送信"),
                                                     CoreMessage::Icon::Stop}),
                 DialogAnswer::Ok);
        QCOMPARE(ui.asked.size(), 1);
        QCOMPARE(ui.asked[0].text, QStringLiteral("失敗"));
        QCOMPARE(ui.asked[0].caption, QStringLiteral("送信"));
        QCOMPARE(ui.asked[0].buttons, MessageButtons::Ok);
        QCOMPARE(ui.asked[0].icon, MessageIcon::Stop);
        QCOMPARE(toMessageIcon(CoreMessage::Icon::Warning), MessageIcon::Warning);
        QCOMPARE(toMessageIcon(CoreMessage::Icon::None), MessageIcon::None);
    }

    void realMessageBoxReturnsThePressedButton()
    {
        QtUiServices ui;
        for (const auto &[pressed, expected] :
             {std::pair{QMessageBox::Ok, DialogAnswer::Ok},
              std::pair{QMessageBox::Cancel, DialogAnswer::Cancel}}) {
            QString shownTitle;
            Qt::TextFormat format = Qt::AutoText;
            whenModalOpens([&shownTitle, &format, pressed](QWidget *modal) {
                auto *box = qobject_cast<QMessageBox *>(modal);
                if (!box)
                    return;
                shownTitle = box->windowTitle();
                format = box->textFormat();
                box->button(pressed)->click();
            });
            // A title that looks like markup is shown as typed.
            QCOMPARE(ui.messageBox(nullptr, QStringLiteral("<b>ml</b>を削除していいですか"),
                                   QString(), MessageButtons::OkCancel, MessageIcon::Question),
                     expected);
            QCOMPARE(shownTitle, QCoreApplication::applicationName());
            QCOMPARE(format, Qt::PlainText);
        }
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
