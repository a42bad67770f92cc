#include "commands/AddressSet.h"

#include <algorithm>

namespace {

constexpr unsigned char lower(char c)
{
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

bool equalNoCase(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

quint32 AddressSet::hashNoCase(QByteArrayView text)
{
    quint64 hash = 14695981039346656037ULL; // FNV-1a
    for (char c : text) {
        hash ^= lower(c);
        hash *= 1099511628211ULL;
    }
    // A multiplication carries upwards only: mix the high bits down.
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    return quint32(hash >> 32);
}

size_t AddressSet::slotOf(QByteArrayView address, quint32 tag) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t at = tag & mask;; at = (at + 1) & mask) {
        const Slot &slot = m_slots[at];
        // The tag spares a look at the text of most other addresses.
        if (slot.index < 0 ||
            (slot.tag == tag && equalNoCase(m_found.at(slot.index).address, address)))
            return at;
    }
}

bool AddressSet::add(QByteArrayView address, const char *rule, const QByteArray &reason)
{
    if (size_t(2 * (m_found.size() + 1)) > m_slots.size())
        grow();
    const quint32 tag = hashNoCase(address);
    Slot &slot = m_slots[slotOf(address, tag)];
    if (slot.index >= 0)
        return false;
    slot = {tag, qint32(m_found.size())};
    m_found.append({address.toByteArray(), rule, reason});
    return true;
}

qsizetype AddressSet::indexOf(QByteArrayView address) const
{
    return m_slots.empty() ? -1 : m_slots[slotOf(address, hashNoCase(address))].index;
}

// Doubles the table; the tags place the addresses again without a look at
// their text.
void AddressSet::grow()
{
    std::vector<Slot> table(std::max<size_t>(64, m_slots.size() * 2));
    const size_t mask = table.size() - 1;
    for (const Slot &slot : m_slots) {
        if (slot.index < 0)
            continue;
        size_t at = slot.tag & mask;
        while (table[at].index >= 0)
            at = (at + 1) & mask;
        table[at] = slot;
    }
    m_slots = std::move(table);
}
