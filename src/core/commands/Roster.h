#pragma once

#include "commands/ServerReply.h"
#include "store/MailingListEntry.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QIODevice;

// `text` as one tab-separated field: backslash, tab, CR and LF written as \\, \t, \r, \n.
QByteArray escapedField(const QByteArray &text);

// A list's members as the server's "who" last gave them, kept per list of
// the register in Tavelin's data folder with the one before it, so who
// joined and who left since can be shown.

struct Roster
{
    QByteArray list;   // the list's name on the server
    QByteArray server; // the command address the reply came from
    QDateTime date;    // of the reply
    qint64 serverCount = 0;
    QList<RosterMember> members; // in the server's order

    qint64 validCount() const;
};

// Members of `now` whose address is not in `before` (letter case ignored),
// in the order of `now`; with the sides swapped, who left.
QList<RosterMember> JoinedSince(const Roster &before, const Roster &now);

// The roster as CSV (RFC 4180): a heading row, then address, valid, line.
QByteArray RosterCsv(const QList<RosterMember> &members);
// Who joined and who left as CSV: change ("joined", "left"), address, valid, line.
QByteArray RosterChangesCsv(const QList<RosterMember> &joined, const QList<RosterMember> &left);

// The stored rosters: one folder, two files per list (the roster and the one
// before it), each mode 0600 and written whole.
class RosterStore
{
public:
    // folder: where the files go; created (mode 0700) at the first write.
    explicit RosterStore(QString folder);
    // QStandardPaths::AppDataLocation + "/rosters".
    static QString defaultFolder();

    QString folder() const { return m_folder; }
    // The file of a list's roster, or of the one before it.
    QString path(const QByteArray &server, const QByteArray &list, bool previous = false) const;

    // The roster, or nothing when there is none; *error says why a file that
    // is there could not be read.
    std::optional<Roster> load(const QByteArray &server, const QByteArray &list,
                               bool previous = false, QString *error = nullptr) const;
    // The roster of a list of the register.
    std::optional<Roster> load(const MailingListEntry &entry, bool previous = false,
                               QString *error = nullptr) const;

    // Writes the roster of one list in pieces, to a file beside the roster
    // that takes its place only at commit(); the roster before becomes the
    // previous one. Dropped unwritten when not committed.
    class Writer
    {
    public:
        ~Writer();
        bool add(const RosterMember &member);
        // Empty on success, else the reason; the stored rosters are then as before.
        QString commit(qint64 serverCount);
        QString error() const { return m_error; }

    private:
        friend class RosterStore;
        Writer() = default;
        struct Impl;
        Impl *m_impl = nullptr;
        QString m_error;
        QByteArray m_row; // one member's line, its buffer kept
    };
    std::unique_ptr<Writer> write(const QByteArray &server, const QByteArray &list,
                                  const QDateTime &date) const;
    // The whole roster at once (a notice's change); empty on success.
    QString save(const Roster &roster) const;

private:
    QString m_folder;
};

// The register's list a mail of the list server is about: its command
// address is the mail's sender and its list name the list named (letter
// case ignored); -1 when none is.
qsizetype FindRegisteredList(const ListRegister &lists, const QByteArray &server,
                             const QByteArray &list);

// What applying a mail of the list server did.
struct AppliedReply
{
    ServerReply reply;
    struct Stored
    {
        qsizetype command; // the "who" command's index
        QByteArray list;
        QString title; // the register's title; empty when not in the register
        bool stored = false;
        QString why; // why it was not stored
    };
    QList<Stored> rosters; // one per "who" command
    // For a notice: whether a stored roster took it, and why not.
    bool noticeApplied = false;
    QString noticeWhy;
};

// Reads a mail of the list server and applies it to the stored rosters
// (unless store is null): a successful, whole "who" result of a registered
// list replaces its roster; a failed or cut one leaves it as it was; a
// (un)subscribe notice changes a stored roster. Passwords of the register's
// lists are masked wherever they appear. memberOut, when given, gets every
// member read, in order.
AppliedReply ApplyServerReply(QIODevice &device, const ListRegister &lists,
                              const RosterStore *store,
                              const std::function<void(const RosterMember &)> &memberOut = {});
AppliedReply ApplyServerReply(const QString &path, const ListRegister &lists,
                              const RosterStore *store,
                              const std::function<void(const RosterMember &)> &memberOut = {});
