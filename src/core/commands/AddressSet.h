#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <vector>

// One failed recipient and the rule that named it.
struct FailedRecipient
{
    QByteArray address;
    const char *rule = ""; // a short name from the reader's table, for people
    QByteArray reason;     // the report's status code or diagnostic text, if any
};

// The addresses of one list, each once with letter case ignored (ASCII, as
// QByteArray::toLower() takes it). A report may list a million and more: the
// set holds their places in the list (an open-addressed table of indices),
// not lowered copies of their text.
class AddressSet
{
public:
    // Appends the address unless the list has it already; true if it did.
    bool add(QByteArrayView address, const char *rule, const QByteArray &reason = {});
    bool contains(QByteArrayView address) const { return indexOf(address) >= 0; }
    // The address's place in found(), or -1.
    qsizetype indexOf(QByteArrayView address) const;
    bool isEmpty() const { return m_found.isEmpty(); }
    qsizetype size() const { return m_found.size(); }
    // In the order added.
    const QList<FailedRecipient> &found() const { return m_found; }

    static quint32 hashNoCase(QByteArrayView text);

private:
    struct Slot
    {
        quint32 tag = 0; // the address's hash, which also places it
        qint32 index = -1;
    };
    // The slot holding the address, or the empty slot where it would go.
    size_t slotOf(QByteArrayView address, quint32 tag) const;
    void grow();

    QList<FailedRecipient> m_found;
    std::vector<Slot> m_slots; // a power of two in size, at most half used
};
