#pragma once

#include <QByteArray>
#include <QList>

// One registered mailing list. Texts are bytes in the system code page.
struct MailingListEntry
{
    QByteArray Title = "Untiled";
    QByteArray Address;  // the Majordomo command address
    QByteArray ListName; // the list's name on the server
    QByteArray Passwd;   // the list's administrative password
    QByteArray ConfigFile;
    QByteArray InfoFile;
    QByteArray IntroFile;
    // Where Passwd lives while the desktop's keyring holds it: the name of its
    // entry there, which the store keeps in place of the password; empty
    // while the store holds the password itself.
    QByteArray PasswdKeyring;
    // The keyring holds the password but it could not be read (locked, no
    // service): Passwd is then empty and is no password to use.
    bool PasswdUnread = false;

    friend bool operator==(const MailingListEntry &, const MailingListEntry &) = default;
};

// The register in the order the list selector shows it: by title, without
// regard to letter case; lists with equal titles keep their relative order.
using ListRegister = QList<MailingListEntry>;

// True when title a sorts before title b in the register.
bool titleLess(const QByteArray &a, const QByteArray &b);
void sortRegister(ListRegister &lists);
// Inserts at the sorted position (after lists of an equal title); returns it.
qsizetype insertSorted(ListRegister &lists, const MailingListEntry &entry);
