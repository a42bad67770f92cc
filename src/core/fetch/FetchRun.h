#pragma once

#include "commands/Roster.h"
#include "fetch/ImapSession.h"
#include "fetch/MailSorter.h"
#include "store/CommonSettings.h"
#include "store/MailingListEntry.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>

// What one fetch reads and where.
struct FetchRequest
{
    QByteArray server;
    quint32 port = kImapsPort;
    ImapSecurity security = ImapSecurity::ImplicitTls;
    QByteArray user;
    QByteArray password;
    QString folder = QStringLiteral("INBOX");
    QString moveTo; // empty: the mails stay where they are
    ImapDeadlines deadlines;
    // Where the marks, the bounce history and the rosters are kept.
    QString dataFolder;
    ListRegister lists; // the register, for the lists mails are about
    // Bounce thresholds: an address is named when it failed on at least
    // minDays days within the last withinDays (the stored common settings'
    // BounceMinDays and BounceWithin).
    int minDays = int(kBounceMinDaysDefault);
    int withinDays = int(kBounceWithinDefault);
};

// One mail read, as the summary lists it.
struct FetchedMail
{
    quint32 uid = 0;
    SortedMail sorted;
    bool known = false; // read before (the folder was renumbered): not counted again
    // A reply's "who" results and a notice, as applied to the stored rosters.
    QList<AppliedReply::Stored> rosters;
    bool noticeApplied = false;
    QString noticeWhy;
};

// What a fetch did.
struct FetchSummary
{
    bool ok = false;
    QString error;       // why it failed, or stopped part way
    int read = 0;        // mails read from the server this time
    int counted[5] = {}; // new mails by MailKind
    int known = 0;       // read again after renumbering, counted before
    int moved = 0;       // moved to the move-to folder
    bool renumbered = false;
    // The mails of each kind the owner acts on, at most kMaxListed of them.
    QList<FetchedMail> replies;
    QList<FetchedMail> approvals;
    QList<FetchedMail> notices;
    // The titles of the lists whose roster a reply or a notice changed.
    QStringList rostersChanged;
    // Per list (its index in the register, -1 when none was found): the
    // addresses that bounced this time, and those now over the threshold.
    struct ListBounces
    {
        int list = -1;
        QByteArrayList bounced;
        QByteArrayList overThreshold;
    };
    QList<ListBounces> bounces;

    static constexpr qsizetype kMaxListed = 1000;
    int count(MailKind kind) const { return counted[int(kind)]; }
};

// One fetch from the owner's mailbox: reads the mails of the folder that
// arrived since the last fetch without marking them read, sorts each,
// records returned mails in the bounce history and the fetch marks, and
// moves the mails it handled when asked. Blocks the calling thread (a
// worker's); every wait is bounded and ends at once on `cancel`.
class FetchRun
{
public:
    // Each progress line, from the calling thread.
    std::function<void(const QString &line)> progress;
    // Each mail as it was read and handled, in the order of its UID.
    std::function<void(const FetchedMail &mail)> onMail;
    const std::atomic<bool> *cancel = nullptr;

    FetchSummary run(const FetchRequest &request);
};
