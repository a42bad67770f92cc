#pragma once

#include "common/UserMessage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Splits a command line into program and arguments by the platform's rules:
// on Windows as the C runtime splits its command line (double quotes,
// backslashes before quotes); elsewhere as a POSIX shell splits words (blanks,
// single and double quotes, backslash), without any expansion.
QStringList SplitCommandLine(const QString &command);

// Starts editor (a command line from the settings, in the system code page) on
// path and returns at once, without waiting for the editor to end. The path is
// passed as one argument, blanks and all, and no shell is involved. On failure
// the message names the whole command line.
std::optional<UserMessage> StartEditor(const QByteArray &editor, const QString &path);
