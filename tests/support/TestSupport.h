#pragma once

#include <QDir>
#include <QString>

// Where the real-world fixtures are, when the shared folder sits beside the
// checkout; empty when it does not (tests then skip those cases).
inline QString sharedFixturesDir()
{
    const QString dir = qEnvironmentVariable("TAVELIN_SOURCE_DIR") +
                        QStringLiteral("/../shared/fixtures");
    return QDir(dir).exists() ? QDir(dir).canonicalPath() : QString();
}

// The tavelin-cli program built beside the tests.
inline QString cliProgram()
{
    return qEnvironmentVariable("TAVELIN_CLI");
}
