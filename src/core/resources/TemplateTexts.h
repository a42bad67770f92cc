#pragma once

#include "resources/DialogTemplate.h"

#include <QByteArray>
#include <QString>

// Texts kept as data (templates, the string table, the command table) are
// translated where they are shown, each in a context of its own, so that a
// word can read differently where its place is narrower.
inline constexpr const char *kStringTableContext = "StringTable";
inline constexpr const char *kCommandTableContext = "CommandTable";

// "Dialog<id>" for a template of the program; "PropertySheet" for the frame
// of a sheet, which has no id of its own.
QByteArray templateContext(const DialogTemplate &t);
// A text of template t as a person reads it; empty stays empty.
QString templateText(const DialogTemplate &t, const char *text);

// Every translatable text kept as data, as QT_TRANSLATE_NOOP lines with a
// comment saying where each stands, so that lupdate finds them: the contents
// of translations/template_texts.cpp. Texts without a non-ASCII character
// (keywords, "OK") read the same in every language and are left out.
QByteArray dataTextCatalogue();
