#include "common/Translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

const QString kJapanese = QStringLiteral("ja");
const QString kEnglish = QStringLiteral("en");
const QString kTranslationFolder = QStringLiteral(":/i18n");

QString &shown()
{
    static QString language = kJapanese;
    return language;
}

} // namespace

QString chooseLanguage(const QString &override, const QStringList &uiLanguages,
                       const QStringList &translated)
{
    if (override == kJapanese || override == kEnglish)
        return override;
    for (const QString &name : uiLanguages) {
        const QLocale locale(name);
        if (locale.language() == QLocale::Japanese || locale.language() == QLocale::C)
            return kJapanese;
        const QString code = QLocale::languageToCode(locale.language());
        if (translated.contains(code))
            return code;
    }
    return uiLanguages.isEmpty() ? kJapanese : kEnglish;
}

QStringList builtInTranslations()
{
    // "tavelin_en.qm" is the translation into "en".
    const QString prefix = QStringLiteral("tavelin_");
    const QString suffix = QStringLiteral(".qm");
    QStringList codes;
    for (const QString &file :
         QDir(kTranslationFolder).entryList({prefix + u'*' + suffix}, QDir::Files))
        codes.append(file.sliced(prefix.size()).chopped(suffix.size()));
    return codes;
}

QString shownLanguage()
{
    return shown();
}

QString chosenLanguage()
{
    return chooseLanguage(qEnvironmentVariable("TAVELIN_LANG"), QLocale::system().uiLanguages(),
                          builtInTranslations());
}

Translation::Translation(const QString &language, QtTexts qt) : m_previous(shown())
{
    shown() = language;
    const auto install = [this](const QString &file, const QString &folder) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(file, folder) && QCoreApplication::installTranslator(translator.get()))
            m_translators.push_back(std::move(translator));
        else
            m_complete = false;
    };
    // Qt's texts are English as written; every other language loads them.
    if (language != kEnglish && qt == QtTexts::Translated)
        install(QStringLiteral("qtbase_") + language,
                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (language != kJapanese)
        install(QStringLiteral("tavelin_") + language, kTranslationFolder);
}

Translation::~Translation()
{
    shown() = m_previous;
    for (const auto &translator : m_translators)
        QCoreApplication::removeTranslator(translator.get());
}
