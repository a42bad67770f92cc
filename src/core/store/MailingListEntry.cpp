#include "store/MailingListEntry.h"

#include <QString>

#include <algorithm>

bool titleLess(const QByteArray &a, const QByteArray &b)
{
    return QString::fromLocal8Bit(a).compare(QString::fromLocal8Bit(b), Qt::CaseInsensitive) < 0;
}

void sortRegister(ListRegister &lists)
{
    std::stable_sort(lists.begin(), lists.end(),
                     [](const auto &a, const auto &b) { return titleLess(a.Title, b.Title); });
}

qsizetype insertSorted(ListRegister &lists, const MailingListEntry &entry)
{
    const auto at =
        std::upper_bound(lists.begin(), lists.end(), entry,
                         [](const auto &a, const auto &b) { return titleLess(a.Title, b.Title); });
    const qsizetype pos = at - lists.begin();
    lists.insert(pos, entry);
    return pos;
}
