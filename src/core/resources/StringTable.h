#pragma once

#include <QString>

// The program's own texts that are kept by number. Empty for an unknown id.
QString loadString(int id);
