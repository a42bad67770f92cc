#pragma once

#include "TestSupport.h"

#include <QProcess>
#include <QStringList>

// One run of tavelin-cli: exit status (-1 when it crashed or hung), output
// and error output.
struct CliRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs tavelin-cli with args and its store (and data folder) under
// configHome; gives up after 30 seconds. A wrapper (a program and its
// arguments) runs it, when given; input is its standard input; environment
// replaces the test's own.
inline CliRun runCli(const QStringList &args, const QString &configHome,
                     const QStringList &wrapper = {}, const QByteArray &input = {},
                     QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("XDG_DATA_HOME"), configHome + QStringLiteral("/data"));
    p.setProcessEnvironment(env);
    if (wrapper.isEmpty())
        p.start(cliProgram(), args);
    else
        p.start(wrapper.first(), wrapper.mid(1) + QStringList{cliProgram()} + args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(5000);
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
