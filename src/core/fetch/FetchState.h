#pragma once

#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QString>

// Where fetching left one folder of one mailbox: the folder's UIDVALIDITY and
// the highest UID read (RFC 3501 2.3.1.1), and the key of every mail read, so
// that a folder whose UIDs were renumbered is read again without a mail
// counted twice. Kept in the data folder, mode 0600: the mark is replaced
// whole, the keys are appended one per mail as it is handled.
class FetchState
{
public:
    FetchState() = default;
    FetchState(const FetchState &) = delete;
    FetchState &operator=(const FetchState &) = delete;

    // The state of `mailbox` of `user` at `server` (`port` too: two servers
    // on one host are two mailboxes). False, with the reason, when what is
    // stored cannot be read; nothing stored reads as a first fetch.
    bool load(const QString &dataFolder, const QByteArray &server, quint32 port,
              const QByteArray &user, const QString &mailbox, QString *error);

    quint32 uidValidity = 0; // 0: never fetched
    quint32 highestUid = 0;

    bool known(const QByteArray &key) const { return m_known.contains(compact(key)); }
    // Adds the key of a mail just handled; false, with the reason, when it
    // could not be written.
    bool remember(const QByteArray &key, QString *error);
    // Writes uidValidity and highestUid; false, with the reason, on failure.
    bool saveMark(QString *error);

    // A mail's key: its Message-ID, else a digest of its bytes; the same
    // length for both, so keys of either kind never collide.
    static QByteArray mailKey(const QByteArray &messageId, const QByteArray &digest);

private:
    // Keys are held as 64-bit hashes: a mailbox of 100 000 mails then costs
    // about a megabyte, and two keys that differ meet by chance about once in
    // 10^10 such mailboxes.
    static size_t compact(const QByteArray &key) { return qHash(key, 0); }

    QString m_base;
    QSet<size_t> m_known;
    QFile m_seen;
};
