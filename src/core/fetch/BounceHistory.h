#pragma once

#include "store/MailingListEntry.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

// One failed delivery as the history keeps it.
struct BounceRecord
{
    QByteArray address;
    QDate date;
    QByteArray reason;
};

// The returned mails of each list, kept across fetches in the data folder:
// one file per list under bounces/, a line per failed address
// "ADDRESS<TAB>YYYY-MM-DD<TAB>REASON", mode 0600, only ever appended to.
class BounceHistory
{
public:
    explicit BounceHistory(QString dataFolder) : m_folder(std::move(dataFolder)) {}

    // The file of a list of the register; lists not found share one file.
    QString pathOf(const MailingListEntry *list) const;

    // Appends the records; false, with the reason, when they could not be written.
    bool append(const MailingListEntry *list, const QList<BounceRecord> &records, QString *error);

    // Every record of a list, oldest first; false, with the reason, when the
    // file exists and cannot be read.
    static bool read(const QString &path, QList<BounceRecord> &records, QString *error);
    // The same, one record at a time: a long history is never held whole.
    static bool forEach(const QString &path, const std::function<void(const BounceRecord &)> &take,
                        QString *error);

private:
    QString m_folder;
    QHash<QString, std::shared_ptr<QFile>> m_open;
};
