#pragma once

#include "config/KeywordTable.h"

#include <QByteArray>
#include <QString>

#include <array>

// The value of one keyword. Which members carry it depends on the keyword's
// kind; texts are bytes in the system code page, never converted.
struct ConfigEntry
{
    bool present = false;    // the keyword occurred in the loaded file
    QByteArray text;         // String; Block: every line followed by CR LF after loading
    int choice = -1;         // YesNo: -1 no choice, 0 "yes", 1 "no"
    qint32 number = 0;       // Integer, OptionalInteger
    bool useDefault = false; // OptionalInteger: written with an empty value

    friend bool operator==(const ConfigEntry &, const ConfigEntry &) = default;
};

// The configuration of one Majordomo list: the file it came from and the
// values of the 45 keywords the editor knows. Saving rewrites only the lines
// of those keywords in that file and carries every other line through.
class MajordomoConfig
{
public:
    QString FilePath; // empty until a Load succeeds
    std::array<ConfigEntry, KeywordCount> entries;

    ConfigEntry &operator[](Keyword k) { return entries[static_cast<size_t>(k)]; }
    const ConfigEntry &operator[](Keyword k) const { return entries[static_cast<size_t>(k)]; }

    // Reads the values of the keywords found in the file (a plain config file
    // or a server reply that holds one). False with the system's cause in
    // *errorText when the file cannot be read; the record is then unchanged.
    bool Load(const QString &path, QString *errorText = nullptr);

    // Rewrites FilePath: known keyword lines and blocks get the record's
    // values, other lines are copied, a reply's text around the config is
    // dropped. A block is written as the lines Load keeps of it, a lone CR
    // ending a line. The file is replaced in one step, so on false (no
    // FilePath, a file that cannot be read or written, a block holding a line
    // "END" that would end it early) it is left as it was.
    bool Save(QString *errorText = nullptr) const;
};
