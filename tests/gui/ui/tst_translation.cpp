// The program in another language: which language the locale chooses, an
// English translation of every text, texts that fit their places in both
// languages, and a window driven in English that writes the same bytes.
#include "CliRun.h"
#include "WindowFixture.h"
#include "commands/CommandTable.h"
#include "commands/OutgoingFolder.h"
#include "common/Translation.h"
#include "config/PlaceholderMenus.h"
#include "main/TavelinDlg.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "resources/TemplateTexts.h"
#include "send/DialUpBinding.h"
#include "settings/CommonSheetRules.h"
#include "store/SettingsStore.h"
#include "ui/DialogUnits.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QXmlStreamReader>

using namespace MainIds;
using Kind = FakeUiServices::Kind;

namespace {

// Japanese script: kana (full and half width) and the common ideographs.
bool hasJapanese(const QString &text)
{
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff61}-\\x{ff9f}]"));
    return text.contains(japanese);
}

QSet<QString> placeMarkers(const QString &text)
{
    QSet<QString> markers;
    static const QRegularExpression marker(QStringLiteral("%\\d"));
    for (const QRegularExpressionMatch &m : marker.globalMatch(text))
        markers.insert(m.captured());
    return markers;
}

// Every template the program builds, sheet frames included.
QList<DialogTemplate> everyTemplate()
{
    QList<DialogTemplate> all(dialogTemplates().begin(), dialogTemplates().end());
    all << propertySheetFrame("", {100, 100}, true);
    return all;
}

// The width a control needs for its text at the dialog font, as the style
// draws it: a button's frame and margin, a box's indicator and spacing.
int neededWidth(ControlKind kind, const QString &text, const QFont &font)
{
    const QFontMetrics metrics(font);
    QString shown = text;
    shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    int widest = 0;
    for (const QString &line : shown.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const QStyle *style = QApplication::style();
    switch (kind) {
    case ControlKind::Button:
        return widest + style->pixelMetric(QStyle::PM_ButtonMargin) +
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    case ControlKind::CheckBox: {
        QCheckBox box(text);
        box.setFont(font);
        return box.sizeHint().width();
    }
    case ControlKind::RadioButton: {
        QRadioButton radio(text);
        radio.setFont(font);
        return radio.sizeHint().width();
    }
    case ControlKind::GroupBox:
        // The title stands in from the frame's corner.
        return widest + 2 * metrics.averageCharWidth();
    default:
        return widest;
    }
}

// The texts the program puts into a template's control while it runs.
struct RunTimeText
{
    int templateId;
    int controlId;
    QStringList texts;
};

QList<RunTimeText> runTimeTexts()
{
    QStringList fieldLabels;
    for (const CommandTab &tab : commandTabs())
        fieldLabels.append(QCoreApplication::translate(kCommandTableContext, tab.fieldLabel));
    QStringList programLabels;
    for (int edition : {0, 1})
        programLabels.append(CommonSheetRules::programLabel(edition).value_or(QString()));
    QStringList dialStates;
    for (int state = 0; state <= DialUpState::Disconnected; ++state) {
        if (state == DialUpState::Projected + 1)
            state = DialUpState::Connected;
        dialStates.append(dialStateText(state, QStringLiteral("Office")));
    }
    return {{IDD_TAVELIN_DIALOG, MainIds::IDC_LABEL, fieldLabels},
            {IDD_COMMON_SEND, CommonSendIds::IDC_PROGRAM_LABEL, programLabels},
            {IDD_STATUS, StatusIds::IDC_STATUS1, dialStates}};
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theLocaleChoosesTheLanguage_data()
    {
        QTest::addColumn<QString>("override");
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<QStringList>("translated");
        QTest::addColumn<QString>("chosen");
        const QStringList en{QStringLiteral("en")};
        QTest::newRow("Japanese") << QString() << QStringList{"ja-JP", "ja-Jpan-JP", "ja"} << en
                                  << "ja";
        QTest::newRow("C, the program's own") << QString() << QStringList{"C"} << en << "ja";
        QTest::newRow("no locale at all") << QString() << QStringList() << en << "ja";
        QTest::newRow("American") << QString() << QStringList{"en-US", "en-Latn-US", "en"} << en
                                  << "en";
        QTest::newRow("British, without a plain en")
            << QString() << QStringList{"en-GB", "en-Latn-GB"} << en << "en";
        QTest::newRow("German, untranslated")
            << QString() << QStringList{"de-DE", "de-Latn-DE", "de"} << en << "en";
        QTest::newRow("German, translated")
            << QString() << QStringList{"de-DE", "de"} << QStringList{"de", "en"} << "de";
        QTest::newRow("Japanese after an untranslated first choice")
            << QString() << QStringList{"fr", "ja"} << en << "ja";
        QTest::newRow("override en") << "en" << QStringList{"ja-JP", "ja"} << en << "en";
        QTest::newRow("override ja") << "ja" << QStringList{"en-US", "en"} << en << "ja";
        QTest::newRow("unknown override") << "fr" << QStringList{"ja-JP"} << en << "ja";
    }

    void theLocaleChoosesTheLanguage()
    {
        QFETCH(QString, override);
        QFETCH(QStringList, uiLanguages);
        QFETCH(QStringList, translated);
        QFETCH(QString, chosen);
        QCOMPARE(chooseLanguage(override, uiLanguages, translated), chosen);
    }

    void theEnglishTranslationIsBuiltIn()
    {
        QVERIFY(builtInTranslations().contains(QStringLiteral("en")));
        {
            const Translation english(QStringLiteral("en"));
            QVERIFY(english.isComplete());
            TemplateDialog dialog(IDD_TITLE);
            QCOMPARE(dialog.text(IDCANCEL), QStringLiteral("Cancel"));
            // Its fields draw a backslash, not the Japanese fonts' yen sign.
            if (QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans")))
                QCOMPARE(dialog.control(TitleIds::IDC_TITLE)->font().families().value(0),
                         QStringLiteral("DejaVu Sans"));
        }
        // Gone with its owner: the same dialog reads Japanese again, in the
        // dialog font throughout.
        TemplateDialog dialog(IDD_TITLE);
        QCOMPARE(dialog.text(IDCANCEL), QStringLiteral("ｷｬﾝｾﾙ"));
        QCOMPARE(dialog.control(TitleIds::IDC_TITLE)->font(), dialog.font());
    }

    void everyTextFitsItsPlaceInBothLanguages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("ja") << QStringLiteral("ja");
        QTest::newRow("en") << QStringLiteral("en");
    }

    void everyTextFitsItsPlaceInBothLanguages()
    {
        QFETCH(QString, language);
        const Translation translation(language);
        const QList<RunTimeText> runTime = runTimeTexts();
        QStringList tooWide;
        for (const DialogTemplate &t : everyTemplate()) {
            const QFont font = dialogFont(QString::fromUtf8(t.fontFamily), t.pointSize);
            const DialogBaseUnits base = dialogBaseUnits(font);
            const QFontMetrics metrics(font);
            for (const ControlTemplate &row : t.controls) {
                // A button named for screen readers shows an icon, not its text.
                if (row.kind == ControlKind::Icon || isInputKind(row.kind) ||
                    (row.kind == ControlKind::Button && row.name))
                    continue;
                QStringList texts{templateText(t, row.text)};
                for (const RunTimeText &more : runTime) {
                    if (more.templateId == t.id && more.controlId == row.id)
                        texts += more.texts;
                }
                const QRect place = dialogUnitsToPixels(row.rect, base);
                for (const QString &text : std::as_const(texts)) {
                    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
                    if (neededWidth(row.kind, text, font) > place.width() ||
                        (row.kind == ControlKind::Static &&
                         lines * metrics.height() > place.height()))
                        tooWide.append(
                            QStringLiteral("template %1 control %2: \"%3\" needs %4 of %5 px")
                                .arg(t.id)
                                .arg(row.id)
                                .arg(text)
                                .arg(neededWidth(row.kind, text, font))
                                .arg(place.width()));
                }
            }
        }
        QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join(QLatin1Char('\n'))));
    }

    void noControlOverlapsAnother()
    {
        QStringList overlaps;
        for (const DialogTemplate &t : everyTemplate()) {
            QList<const ControlTemplate *> placed;
            for (const ControlTemplate &row : t.controls) {
                // Frames hold controls; an attached up-down sits in its field.
                if (row.kind == ControlKind::GroupBox || row.kind == ControlKind::TabControl ||
                    row.style.testFlag(ControlStyle::AttachToBuddy))
                    continue;
                QRect rect = row.rect;
                // A drop-down list's rectangle includes its open list.
                if (row.kind == ControlKind::DropDownList)
                    rect.setHeight(12);
                for (const ControlTemplate *other : std::as_const(placed)) {
                    QRect otherRect = other->rect;
                    if (other->kind == ControlKind::DropDownList)
                        otherRect.setHeight(12);
                    // Two controls that start hidden may take turns in one
                    // place, as the buttons of the command tabs do.
                    const bool takeTurns = row.style.testFlag(ControlStyle::Hidden) &&
                                           other->style.testFlag(ControlStyle::Hidden);
                    if (rect.intersects(otherRect) && !takeTurns)
                        overlaps.append(QStringLiteral("template %1: controls %2 and %3")
                                            .arg(t.id)
                                            .arg(other->id)
                                            .arg(row.id));
                }
                placed.append(&row);
            }
        }
        QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps.join(QLatin1Char('\n'))));
    }

    void everyTextHasAFinishedEnglishTranslation()
    {
        // The kept translation: nothing unfinished or left over, every
        // translation English and with the source's place markers.
        QFile ts(qEnvironmentVariable("TAVELIN_SOURCE_DIR") +
                 QStringLiteral("/translations/tavelin_en.ts"));
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&ts);
        QString context, source;
        int messages = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.name() == QLatin1String("translation")) {
                const QString where = context + QStringLiteral(": ") + source;
                QVERIFY2(xml.attributes().value(QLatin1String("type")).isEmpty(),
                         qPrintable(where));
                const QString english = xml.readElementText();
                QVERIFY2(!english.isEmpty() && !hasJapanese(english), qPrintable(where));
                QCOMPARE(placeMarkers(english), placeMarkers(source));
                ++messages;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 0);

        // What the program shows, looked up as it does: every Japanese text
        // kept as data reads English.
        const Translation english(QStringLiteral("en"));
        QStringList untranslated;
        const auto check = [&untranslated](const QString &shown, const char *source) {
            if (hasJapanese(shown))
                untranslated.append(QString::fromUtf8(source));
        };
        for (const DialogTemplate &t : everyTemplate()) {
            check(templateText(t, t.caption), t.caption);
            for (const ControlTemplate &row : t.controls) {
                if (row.kind != ControlKind::Icon)
                    check(templateText(t, row.text), row.text);
                check(templateText(t, row.name), row.name);
            }
        }
        for (int id : stringIds())
            check(loadString(id), stringSource(id));
        for (const CommandTab &tab : commandTabs()) {
            for (const char *text : {tab.label, tab.fieldLabel, tab.browseFilter})
                check(QCoreApplication::translate(kCommandTableContext, text), text);
        }
        for (int k = 0; k < KeywordCount; ++k) {
            if (const PlaceholderMenu *menu = placeholderMenu(Keyword(k))) {
                for (const Placeholder &entry : menu->entries)
                    check(QCoreApplication::translate("PlaceholderMenus", entry.label),
                          entry.label);
            }
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
    }

    // One list and an outgoing folder; a list's subscribe command composed by
    // the window in each language must give the same mail, and a refusal
    // reads in the language shown.
    void theWindowDrivenInEnglishWritesTheSameMail()
    {
        const TemporaryStore dir;
        QVERIFY(dir.isValid());
        const QString outgoing = dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(outgoing));
        MailingListEntry photo;
        photo.Title = "写真";
        photo.Address = "majordomo@example.org";
        photo.ListName = "photo";
        photo.Passwd = "secret";
        SaveRegister({photo});
        CommonSettings settings;
        settings.MailSavePath = outgoing.toLocal8Bit();
        settings.Address = "owner@example.net";
        SaveCommonSettings(settings);

        QMap<QString, QByteArray> mails;
        for (const QString &language : {QStringLiteral("ja"), QStringLiteral("en")}) {
            const Translation translation(language);
            FakeUiServices ui;
            CTavelinDlg window(ui, {QStringLiteral("tavelin")});
            window.show();
            window.SelectList(0);
            auto *tabs = window.item<QTabWidget>(IDC_TAB);
            tabs->setCurrentIndex(int(CommandKind::ForcedSubscribe));
            if (language == QLatin1String("en")) {
                QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Subscribe"));
                QCOMPARE(window.text(IDC_CREATE), QStringLiteral("Compose"));
                QCOMPARE(window.text(IDC_LABEL), QStringLiteral("Addresses to subscribe"));
            }
            auto *field = window.item<QLineEdit>(IDC_ARGUMENT);
            field->setFocus();
            // A trailing backslash is refused, in the language shown.
            QTest::keyClicks(field, QStringLiteral("new@example.org\\"));
            window.press(IDC_CREATE);
            QCOMPARE(ui.askedOf(Kind::Message).size(), 1);
            const QString refusal = ui.askedOf(Kind::Message).constFirst().text;
            QVERIFY2(refusal.contains(language == QLatin1String("en")
                                          ? QStringLiteral("No command mail is created")
                                          : QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙは作成しません")),
                     qPrintable(refusal));
            QCOMPARE(window.queuedCount(), 0u);

            QTest::keyClick(field, Qt::Key_Backspace);
            window.press(IDC_CREATE);
            QCOMPARE(window.queuedCount(), 1u);
            const QStringList queued = OutgoingFolder::ListQueued(outgoing);
            QCOMPARE(queued.size(), 1);
            const QString path = OutgoingFolder::QueuedPath(outgoing, queued.constFirst());
            mails[language] = withoutDate(readFile(path));
            QVERIFY(QFile::remove(path));
        }
        QVERIFY(
            mails[QStringLiteral("ja")].contains("approve secret subscribe photo new@example.org"));
        QCOMPARE(mails[QStringLiteral("en")], mails[QStringLiteral("ja")]);
    }

    void theCliSaysItsRefusalsInTheChosenLanguage_data()
    {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("said");
        QTest::newRow("ja") << QByteArray("ja") << QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙは作成しません");
        QTest::newRow("en") << QByteArray("en") << QStringLiteral("No command mail is created");
    }

    void theCliSaysItsRefusalsInTheChosenLanguage()
    {
        QFETCH(QByteArray, language);
        QFETCH(QString, said);
        const TemporaryStore dir;
        QVERIFY(dir.isValid());
        MailingListEntry photo;
        photo.Title = "photo";
        photo.ListName = "photo";
        photo.Passwd = "secret";
        SaveRegister({photo});
        const QByteArray before = qgetenv("TAVELIN_LANG");
        qputenv("TAVELIN_LANG", language);
        const CliRun cli = runCli({QStringLiteral("compose"), QStringLiteral("1"),
                                   QStringLiteral("--list"), QStringLiteral("photo"),
                                   QStringLiteral("--arg"), QStringLiteral("new@example.org\\")},
                                  dir.path());
        qputenv("TAVELIN_LANG", before);
        QCOMPARE(cli.status, 1);
        QVERIFY2(QString::fromLocal8Bit(cli.err).contains(said), cli.err.constData());
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
