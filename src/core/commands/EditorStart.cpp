#include "commands/EditorStart.h"

#include <QCoreApplication>
#include <QProcess>

QStringList SplitCommandLine(const QString &command)
{
#ifdef Q_OS_WIN
    return QProcess::splitCommand(command);
#else
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\'') {
            const qsizetype close = command.indexOf(u'\'', i + 1);
            const qsizetype end = close < 0 ? command.size() : close;
            word += command.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'"') {
            for (++i; i < command.size() && command[i] != u'"'; ++i) {
                // Inside double quotes a backslash escapes only these.
                if (command[i] == u'\\' && i + 1 < command.size() &&
                    QStringView(u"\"\\$`").contains(command[i + 1]))
                    ++i;
                word += command[i];
            }
        } else if (c == u'\\' && i + 1 < command.size()) {
            word += command[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
#endif
}

std::optional<UserMessage> StartEditor(const QByteArray &editor, const QString &path)
{
    const QString command = QString::fromLocal8Bit(editor);
    QStringList arguments = SplitCommandLine(command);
    if (!arguments.isEmpty()) {
        const QString program = arguments.takeFirst();
        arguments.append(path);
        if (QProcess::startDetached(program, arguments))
            return std::nullopt;
    }
    return UserMessage{QCoreApplication::translate("EditorStart", "%1 の起動に失敗しました")
                           .arg(command + u' ' + path),
                       applicationName(), UserMessage::Icon::Stop};
}
