#pragma once

#include <QString>
#include <QStringList>

// Several file names in one text field, as file dialogs show a choice of
// many: each in double quotes, separated by blanks. One name stands alone,
// unquoted, so a field holding one path reads as it always did.
QString JoinFileNames(const QStringList &names);
// The names of such a text. A text without a double quote is one name as it
// stands (blanks included); otherwise each quoted run is a name, and so
// is each blank-separated word outside the quotes. An unclosed quote runs to
// the end. Empty names are dropped.
QStringList SplitFileNames(const QString &text);
