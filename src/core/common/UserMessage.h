#pragma once

#include <QString>

// A message for the user that a core operation hands back instead of showing
// it: the window presents it as a message box with an OK button, the CLI
// prints its text to stderr. Its icon enum is the one every message box uses.
struct UserMessage
{
    enum class Icon
    {
        None,
        Information,
        Question,
        Warning,
        Stop
    };

    QString text;
    QString caption; // empty: the message box's default caption
    Icon icon = Icon::None;
};

// The caption of messages that name the program itself.
inline QString applicationName()
{
    return QStringLiteral("Tavelin");
}
