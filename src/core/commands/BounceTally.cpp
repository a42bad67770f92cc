#include "commands/BounceTally.h"

#include <algorithm>
#include <limits>

void BounceTally::add(const QList<FailedRecipient> &recipients, const QDate &date)
{
    ++m_mails;
    if (date.isValid() && (!m_newest.isValid() || date > m_newest))
        m_newest = date;
    for (const FailedRecipient &recipient : recipients) {
        if (m_index.add(recipient.address, "")) {
            m_entries.emplace_back();
            m_entries.back().bounces.address = recipient.address;
        }
        // The set keeps its addresses in the order added: the same place.
        const qsizetype place = m_index.indexOf(recipient.address);
        Entry &entry = m_entries[size_t(place)];
        AddressBounces &bounces = entry.bounces;
        ++bounces.reports;
        if (date.isValid()) {
            const qint64 day = date.toJulianDay();
            const auto at = std::lower_bound(entry.days.begin(), entry.days.end(), day);
            if (at == entry.days.end() || *at != day)
                entry.days.insert(at, day);
            bounces.days = int(entry.days.size());
            bounces.first = QDate::fromJulianDay(entry.days.front());
            bounces.last = QDate::fromJulianDay(entry.days.back());
        } else {
            entry.undated = true;
        }
        // The reason of the latest report; of reports of one day the greater
        // text, so the order the mails are read in does not matter.
        const bool later =
            date.isValid() && (!entry.reasonDate.isValid() || date > entry.reasonDate);
        const bool sameDay = date == entry.reasonDate && recipient.reason > bounces.reason;
        if (!recipient.reason.isEmpty() && (later || sameDay)) {
            bounces.reason = recipient.reason;
            if (date.isValid())
                entry.reasonDate = date;
        }
    }
}

bool BounceTally::kept(const Entry &entry, const BounceFilter &filter) const
{
    qint64 from = std::numeric_limits<qint64>::min();
    if (filter.withinDays && m_newest.isValid())
        from = m_newest.toJulianDay() - *filter.withinDays + 1;
    const auto inWindow =
        entry.days.end() - std::lower_bound(entry.days.begin(), entry.days.end(), from);
    const qint64 days = inWindow + (entry.undated && inWindow == 0 ? 1 : 0);
    return days >= filter.minDays;
}

QList<AddressBounces> BounceTally::report(const BounceFilter &filter) const
{
    QList<AddressBounces> rows;
    for (const Entry &entry : m_entries) {
        if (kept(entry, filter))
            rows.append(entry.bounces);
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const AddressBounces &a, const AddressBounces &b) {
                         if (a.reports != b.reports)
                             return a.reports > b.reports;
                         return a.address.toLower() < b.address.toLower();
                     });
    return rows;
}

QByteArrayList BounceTally::addresses(const BounceFilter &filter) const
{
    QByteArrayList kept;
    for (const Entry &entry : m_entries) {
        if (this->kept(entry, filter))
            kept.append(entry.bounces.address);
    }
    return kept;
}

QByteArray BounceTally::line(const AddressBounces &row)
{
    const auto date = [](const QDate &day) {
        return day.isValid() ? day.toString(Qt::ISODate).toLatin1() : QByteArray("-");
    };
    // A tab or line end in a reason would break the columns.
    QByteArray reason = row.reason;
    reason.replace('\t', ' ').replace('\n', ' ').replace('\r', ' ');
    return row.address + '\t' + QByteArray::number(row.reports) + '\t' +
           QByteArray::number(row.days) + '\t' + date(row.first) + '\t' + date(row.last) + '\t' +
           reason;
}
