#pragma once

#include "commands/AddressSet.h"

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <iterator>
#include <utility>

// The text of delivery reports: the token rules for addresses as servers
// print them, and the reader of report text with its table of layouts.

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}
QByteArrayView trimmedStart(QByteArrayView text);
// A mailbox as servers print it: one "@" with something on either side and
// none of the bytes that delimit addresses in reports.
bool isAddress(QByteArrayView text);
// The address of the token that starts text ("<a@b>", "\"a@b\"", "a@b:"),
// with the length of the token, or empty text.
QByteArray leadingAddress(QByteArrayView text, qsizetype *tokenLength = nullptr);
bool containsNoCase(QByteArrayView haystack, QByteArrayView needle);
// Where needle starts in haystack, letter case ignored; -1 if nowhere.
qsizetype containsNoCaseAt(QByteArrayView haystack, QByteArrayView needle);
// The first enhanced status code of a failure (RFC 3463: "5.1.1", "4.2.2")
// in the text, or empty text.
QByteArray statusCodeIn(QByteArrayView text);

// Where an address was found, by how much it is to be trusted: the answer is
// the first kind that found any.
enum Source
{
    DeliveryStatus, // the machine-readable part of a standard report
    FailedHeader,   // Exim's and Gmail's X-Failed-Recipients
    ReportText,     // a layout of the report-text table
    Transcript,     // a 5xx reply in a session transcript
    Fallback,       // a failure told in the report's own words, where no layout matched
    SourceCount
};

// The addresses found in one mail, by source.
class Collector
{
public:
    void add(Source source, QByteArrayView address, const char *rule, const QByteArray &reason = {})
    {
        if (!address.isEmpty())
            m_found[source].add(address, rule, reason);
    }
    bool any(Source source) const { return !m_found[source].isEmpty(); }
    // Nothing the fallback finds can count any more.
    bool fallbackMoot() const
    {
        return m_statusDecides || m_warning || m_noFallback ||
               std::any_of(std::begin(m_found), std::begin(m_found) + Fallback,
                           [](const AddressSet &found) { return !found.isEmpty(); });
    }
    // A delivery-status part that named recipients decides, also when none
    // failed (a delay notice).
    void setStatusDecides() { m_statusDecides = true; }
    // A delay notice: what its text names has not failed.
    void setWarning() { m_warning = true; }
    // A list of delayed or delivered recipients: no failure told in the
    // report's own words counts then (they would be those recipients).
    void setNoFallback() { m_noFallback = true; }
    bool decided() const
    {
        return m_statusDecides || m_warning ||
               std::any_of(std::begin(m_found), std::end(m_found),
                           [](const AddressSet &found) { return !found.isEmpty(); });
    }
    QList<FailedRecipient> result() const
    {
        if (m_statusDecides)
            return m_found[DeliveryStatus].found();
        const int sources = m_warning ? ReportText : m_noFallback ? Fallback : SourceCount;
        for (int source = 0; source < sources; ++source) {
            if (!m_found[source].isEmpty())
                return m_found[source].found();
        }
        return {};
    }

private:
    AddressSet m_found[SourceCount];
    bool m_statusDecides = false;
    bool m_warning = false;
    bool m_noFallback = false;
};

struct TextRule;

// Reads report text line by line with the table of layouts.
class TextReader
{
public:
    explicit TextReader(Collector &collector) : m_collector(collector) {}
    // A new text part: lists and quotes do not run on across parts.
    void startPart()
    {
        endList();
        m_phase = m_phase == Phase::Done ? Phase::Done : Phase::Searching;
        m_inOriginal = false;
        m_fallbackEnded = false;
    }
    void line(QByteArrayView line);
    void finishPart() { endList(); }
    bool done() const { return m_phase == Phase::Done; }
    // Below a line that introduces the quoted original message.
    bool inOriginal() const { return m_inOriginal; }
    // The rules that read a failure told in a report's own words run only
    // where the mail is a delivery report, and only in its text: not in a
    // header block, nor below a quoted header block of the original.
    void allowFallback(bool allowed) { m_fallback = allowed; }
    // Where the mail is plainly no delivery report, only the list server's
    // approval request is looked for.
    void allowLayouts(bool allowed) { m_layouts = allowed; }
    // Addresses the fallback rules never give: the report's own sender and
    // recipient, which a report quotes as the original's sender.
    void exclude(QByteArray address) { m_excluded.append(std::move(address)); }

private:
    enum class Phase
    {
        Searching,
        Listing,
        SkippingLine, // the empty line after the approval marker
        CommandLine,
        Done // an approval request was read: nothing else counts
    };
    void search(QByteArrayView line);
    bool list(QByteArrayView line); // false: the line ended the list
    void endList();
    void startList(const TextRule &rule, QByteArrayView line);
    void fallbackLine(QByteArrayView line);
    bool excluded(QByteArrayView address) const;
    bool fallbackOn() const
    {
        return m_fallback && !m_fallbackEnded && !m_collector.fallbackMoot();
    }
    Source source() const;

    Collector &m_collector;
    Phase m_phase = Phase::Searching;
    const TextRule *m_rule = nullptr;
    // Below a line that introduces the original message: only an approval
    // request is still looked for there, as owners forward those inline.
    bool m_inOriginal = false;
    bool m_quoted = false;      // the marker line was quoted with ">"
    int m_items = 0;            // addresses in the current list
    int m_linesBeforeFirst = 0; // remarks between marker and first address
    bool m_gap = false;         // an empty line after an address: another may follow
    QByteArray m_pending;       // the last address, until "(expanded from:" is ruled out
    QByteArray m_rcpt;          // a transcript's RCPT TO address, until its reply
    bool m_layouts = true;
    bool m_fallback = false;
    bool m_fallbackEnded = false; // a quoted header block began in this part
    QByteArrayList m_excluded;
    // An address a line named without telling of a failure, which the next
    // line may tell of: this line's, and the line before's.
    QByteArray m_candidate;
    QByteArray m_lineBefore;
};
