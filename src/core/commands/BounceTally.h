#pragma once

#include "commands/AddressSet.h"

#include <QByteArray>
#include <QDate>
#include <QList>

#include <optional>
#include <vector>

// Counts returned mails per address: how many reported it failed, on how
// many days, when first and last, and the last reason given, so an owner can
// tell an address that bounces every day from one that bounced once when a
// server was down.

struct AddressBounces
{
    QByteArray address; // as first met
    int reports = 0;
    int days = 0; // distinct dates among the dated reports
    QDate first;  // null if no report was dated
    QDate last;
    QByteArray reason; // of the last report that gave one
};

// Which addresses a report keeps: those that bounced on at least minDays
// days within the last withinDays days (counted back from the newest report
// of all); an undated report counts as one day in any window.
struct BounceFilter
{
    int minDays = 1;
    std::optional<int> withinDays;
};

class BounceTally
{
public:
    // One mail's failed recipients (each once) and its date.
    void add(const QList<FailedRecipient> &recipients, const QDate &date);

    // The kept addresses, most reports first, then by address.
    QList<AddressBounces> report(const BounceFilter &filter = {}) const;
    // The kept addresses in the order first met.
    QByteArrayList addresses(const BounceFilter &filter = {}) const;
    bool isEmpty() const { return m_entries.empty(); }
    // The mails added, those that named no address included.
    int mailCount() const { return m_mails; }

    // ADDRESS, REPORTS, DAYS, FIRST, LAST, REASON separated by tabs; "-" for
    // an unknown date.
    static QByteArray line(const AddressBounces &row);

private:
    struct Entry
    {
        AddressBounces bounces;
        std::vector<qint64> days; // Julian days, sorted, each once
        bool undated = false;
        QDate reasonDate;
    };
    bool kept(const Entry &entry, const BounceFilter &filter) const;

    AddressSet m_index; // places in m_entries, by address
    std::vector<Entry> m_entries;
    QDate m_newest;
    int m_mails = 0;
};
