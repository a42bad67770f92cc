#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QTranslator;

// The program's texts are written in Japanese; other languages come from the
// translations built into the program. Only what a person reads is
// translated: files, mails and the store keep their bytes.

// The language to show: "ja" (the texts as written) or the code of a built-in
// translation. An override of "ja" or "en" wins; otherwise the first of the
// locale's languages that is Japanese, the C/POSIX locale (the program's own
// language) or one that has a translation decides, and English where none does.
QString chooseLanguage(const QString &override, const QStringList &uiLanguages,
                       const QStringList &translated);
// The language being shown: that of the Translation made last, "ja" before any.
QString shownLanguage();
// The language codes of the translations built into the program ("en").
QStringList builtInTranslations();
// The language chosen by TAVELIN_LANG and the system locale.
QString chosenLanguage();

// The program's texts and Qt's own (message-box buttons, file dialogs) in one
// language, installed into the application while this lives. Japanese needs
// only Qt's texts; English only the program's.
class Translation
{
public:
    enum class QtTexts
    {
        Translated,
        // Qt's error details stay as Qt writes them: a program without
        // windows prints them for scripts, and Qt's Japanese words some of
        // them as a bare "unknown error".
        AsWritten,
    };

    explicit Translation(const QString &language, QtTexts qt = QtTexts::Translated);
    ~Translation();
    Translation(const Translation &) = delete;
    Translation &operator=(const Translation &) = delete;

    // False when a translation the language needs is not there.
    bool isComplete() const { return m_complete; }

private:
    std::vector<std::unique_ptr<QTranslator>> m_translators;
    bool m_complete = true;
    QString m_previous;
};
