#pragma once

#include "commands/ServerReply.h"
#include "store/MailingListEntry.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDate>
#include <QList>
#include <QString>

class QIODevice;

// What a mail in the owner's mailbox is, for a fetch.
enum class MailKind
{
    Reply,    // the server's "Majordomo results"
    Bounce,   // a returned mail naming recipients whose delivery failed
    Approval, // the server asks the owner to approve a request or a held post
    Notice,   // the server tells the owner someone joined or left a list
    Other,    // anything else: left alone
};
// The word the CLI's report prints: reply, bounce, approval, notice, other.
const char *mailKindName(MailKind kind);

// The header fields a fetch looks at, unfolded, as the mail's bytes.
struct MailHeader
{
    QByteArray from;
    QByteArray subject; // as written (RFC 2047 words not decoded)
    QByteArray messageId;
    QByteArray contentType;
    QByteArray returnPath;
    QByteArray date;
    QByteArrayList recipients; // To, Cc, Delivered-To, X-Original-To, Envelope-To
};
// Reads the header from the device's start (at most 256 KiB of it).
MailHeader ReadMailHeader(QIODevice &device);

// One mail sorted, with what its kind needs.
struct SortedMail
{
    MailKind kind = MailKind::Other;
    QString subject; // decoded, one line, for people
    QByteArray messageId;
    QDate date;    // the mail's Date:, else today
    int list = -1; // its list in the register, -1 when none was found
    // Bounce: the failed recipients; approval and notice: the address the
    // request or the notice is about.
    QByteArrayList addresses;
    QByteArrayList reasons; // Bounce: per address, why it failed
    // Approval and notice: a subscribe (true) or an unsubscribe.
    bool subscribe = true;
    // Reply: what each command did.
    ServerReply reply;
    // Why the mail could not be read to the end; empty if it was.
    QString error;
};

// Sorts the mail on `device` (read from its start, a seekable device) for
// the lists of `lists`: the server's replies, notices and approval requests
// as the reply reader tells them (from the server's address, or a list's
// owner address), returned mails by their standard marks (a delivery
// report, a mailer-daemon sender, a null return path) and the failed
// recipients the returned-mail reader finds in them.
SortedMail SortMail(QIODevice &device, const ListRegister &lists);
