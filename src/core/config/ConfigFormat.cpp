#include "config/ConfigFormat.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace configformat {

namespace {

// White space as the C library's isspace() sees it in the "C" locale.
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

QByteArrayView trimmedRight(QByteArrayView text)
{
    qsizetype end = text.size();
    while (end > 0 && isSpace(text[end - 1]))
        --end;
    return text.first(end);
}

// The part of a one-word value the list server looks at: "#" starts a comment
// even inside a value, and white space around the word does not count.
QByteArrayView serverWord(QByteArrayView valueText)
{
    const qsizetype hash = valueText.indexOf('#');
    return trimmedRight(hash < 0 ? valueText : valueText.first(hash));
}

// The decimal number at the start of the text, as atoi() reads it, but held
// to the range of qint32 instead of overflowing.
qint32 leadingInteger(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    qint64 value = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(limit, value * 10 + (text[i] - '0'));
    value = negative ? -value : std::min(value, limit - 1);
    return qint32(value);
}

void appendPadded(QByteArray &out, const char *name)
{
    constexpr qsizetype width = 20;
    const qsizetype length = qsizetype(std::strlen(name));
    out.append(name, length);
    if (length < width)
        out.append(width - length, ' ');
}

} // namespace

QByteArrayView trimmedLeft(QByteArrayView line)
{
    qsizetype start = 0;
    while (start < line.size() && isSpace(line[start]))
        ++start;
    return line.sliced(start);
}

bool isBlank(QByteArrayView line)
{
    return trimmedLeft(line).isEmpty();
}

int findKeyword(QByteArrayView line, qsizetype *valueAt)
{
    qsizetype mark = line.indexOf('=');
    if (mark < 0)
        mark = line.indexOf('<');
    if (mark < 0)
        return -1;
    const QByteArrayView name = trimmedRight(line.first(mark));
    // Longer than any keyword: not worth lower-casing.
    if (name.isEmpty() || name.size() > 24)
        return -1;
    char lower[24];
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    const int index = keywordIndex(QByteArrayView(lower, name.size()));
    if (index >= 0 && valueAt)
        *valueAt = mark + 1;
    return index;
}

bool endsBlock(QByteArrayView line)
{
    return trimmedRight(trimmedLeft(line)) == "END";
}

void readValue(KeywordKind kind, QByteArrayView valueText, ConfigEntry &entry)
{
    switch (kind) {
    case KeywordKind::String:
        entry.text = valueText.toByteArray();
        break;
    case KeywordKind::YesNo: {
        // The server takes "y" for yes as well; reading it as no would turn
        // the setting over on the next save.
        const QByteArrayView word = serverWord(valueText);
        const bool yes = word.compare("yes", Qt::CaseInsensitive) == 0 ||
                         word.compare("y", Qt::CaseInsensitive) == 0;
        entry.choice = yes ? 0 : 1;
        break;
    }
    case KeywordKind::Integer:
        entry.number = leadingInteger(valueText);
        break;
    case KeywordKind::OptionalInteger:
        entry.useDefault = serverWord(valueText).isEmpty();
        entry.number = entry.useDefault ? 0 : leadingInteger(valueText);
        break;
    case KeywordKind::Block:
        break;
    }
}

bool appendFormatted(QByteArray &out, const KeywordInfo &info, const ConfigEntry &entry)
{
    appendPadded(out, info.name);
    switch (info.kind) {
    case KeywordKind::String:
        out += "=   " + entry.text;
        break;
    case KeywordKind::YesNo:
        out += entry.choice == 0 ? "=   yes" : "=   no";
        break;
    case KeywordKind::OptionalInteger:
        if (entry.useDefault) {
            out += '=';
            break;
        }
        [[fallthrough]];
    case KeywordKind::Integer:
        out += "=   " + QByteArray::number(entry.number);
        break;
    case KeywordKind::Block: {
        // Only the lines the reader keeps: the server stores an empty line
        // as an empty value (a blank line in every post after a footer).
        out += "<<  END\r\n";
        out.reserve(out.size() + entry.text.size() + entry.text.size() / 16 + 16);
        bool closesEarly = false;
        forEachBlockLine(entry.text, [&](QByteArrayView line) {
            closesEarly |= endsBlock(line);
            out += line;
            out += "\r\n";
        });
        if (closesEarly)
            return false;
        out += "END";
        break;
    }
    }
    out += "\r\n";
    return true;
}

} // namespace configformat
