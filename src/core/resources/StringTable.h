#pragma once

#include <QList>
#include <QString>

// The program's own texts that are kept by number, as a person reads them
// (translated). Empty for an unknown id.
QString loadString(int id);
// The text of that id as written (UTF-8), null for an unknown id.
const char *stringSource(int id);
// The ids of the table, in table order.
QList<int> stringIds();
