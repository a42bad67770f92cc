// The program in another language: which language the locale chooses, an
// English translation of every text, texts that fit their places in both
// languages, and a window driven in English that writes the same bytes.
#include "CliRun.h"
#include "FakeUiServices.h"
#include "commands/CommandTable.h"
#include "commands/OutgoingFolder.h"
#include "common/Translation.h"
#include "main/TavelinDlg.h"
#include "resources/ResourceIds.h"
#include "store/SettingsStore.h"

#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace MainIds;
using Kind = FakeUiServices::Kind;

namespace {

// The mail's lines without its Date line, which holds the second it was made.
QByteArray withoutDate(QByteArray mail)
{
    const qsizetype date = mail.indexOf("\r\nDate: ");
    if (date >= 0)
        mail.remove(date, mail.indexOf("\r\n", date + 2) - date);
    return mail;
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

    // One list and an outgoing folder; a list's subscribe command composed by
    // the window in each language must give the same mail, and a refusal
    // reads in the language shown.
    void theWindowDrivenInEnglishWritesTheSameMail()
    {
        QTemporaryDir dir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
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
        QTemporaryDir dir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
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
