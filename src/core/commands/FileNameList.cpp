#include "commands/FileNameList.h"

QString JoinFileNames(const QStringList &names)
{
    if (names.size() == 1)
        return names.constFirst();
    QStringList quoted;
    for (const QString &name : names)
        quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
    return quoted.join(QLatin1Char(' '));
}

QStringList SplitFileNames(const QString &text)
{
    const QChar quote = QLatin1Char('"');
    // Several names always begin with a quote; anything else is one name,
    // which may hold a quote of its own.
    if (!text.startsWith(quote))
        return text.isEmpty() ? QStringList() : QStringList{text};
    QStringList names;
    QString name;
    bool quoted = false;
    const auto end = [&] {
        if (!name.isEmpty())
            names.append(name);
        name.clear();
    };
    for (const QChar c : text) {
        if (c == quote) {
            end();
            quoted = !quoted;
        } else if (!quoted && c.isSpace()) {
            end();
        } else {
            name.append(c);
        }
    }
    end();
    return names;
}
