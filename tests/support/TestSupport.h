#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Where the real-world fixtures are, when the shared folder sits beside the
// checkout; empty when it does not (tests then skip those cases).
inline QString sharedFixturesDir()
{
    const QString dir =
        qEnvironmentVariable("TAVELIN_SOURCE_DIR") + QStringLiteral("/../shared/fixtures");
    return QDir(dir).exists() ? QDir(dir).canonicalPath() : QString();
}

// The tavelin-cli program built beside the tests.
inline QString cliProgram()
{
    return qEnvironmentVariable("TAVELIN_CLI");
}

// Writes bytes as the whole content of path; false when that failed.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The whole content of path, or "<unreadable>".
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
