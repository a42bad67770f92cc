#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <span>

// The settings shared by all lists. Texts are bytes in the system code page;
// yes/no fields hold 0 or 1.
inline constexpr quint32 kBounceMinDaysDefault = 1;
inline constexpr quint32 kBounceWithinDefault = 30;
// The thresholds' range, days both: ten years is past any returned mail kept.
inline constexpr quint32 kBounceDaysMax = 3660;

struct CommonSettings
{
    quint32 UseQuillon = 0;
    QByteArray Server;
    QByteArray TimeZone = machineTimeZone();
    QByteArray UserName;
    quint32 PortNo = 25;
    QByteArray Password;
    QByteArray Address;
    QByteArray MailSavePath;
    quint32 SaveMail = 0;
    quint32 DialUp = 0;
    QByteArray Entry;
    quint32 Redial = 3;
    quint32 Interval = 60;
    quint32 QuillonType = 0;
    quint32 NoSignature = 0;
    QByteArray Qsend;
    QByteArray Editer = defaultEditor();
    // How the own SMTP client protects the connection: "none", "starttls" or
    // "tls"; empty (a store from before the setting) derives it from the
    // port and the user name.
    QByteArray SmtpSecurity;
    // 1: every password (the lists' and the login's) lives in the desktop's
    // keyring, the store keeps a marker in its place.
    quint32 KeyringPasswords = 0;
    // Returned mails: an address is proposed for a forced unsubscribe when it
    // failed on at least BounceMinDays days within the last BounceWithin days
    // (counted back from the newest report). 1 and 30 propose every address
    // that bounced in the month up to the newest report.
    quint32 BounceMinDays = kBounceMinDaysDefault;
    quint32 BounceWithin = kBounceWithinDefault;

    // Not in the table: where Password lives (as MailingListEntry's
    // PasswdKeyring and PasswdUnread), kept by the load and save steps.
    QByteArray PasswordKeyring;
    bool PasswordUnread = false;

    static QByteArray defaultEditor();
    // The machine's offset from UTC now, "+hhmm" or "-hhmm": what a store
    // without a TimeZone value stands for, so that its Date headers name the
    // zone the owner lives in.
    static QByteArray machineTimeZone();

    // The thresholds as counts, a stored value out of range held within it.
    int bounceMinDays() const { return boundedDays(BounceMinDays); }
    int bounceWithin() const { return boundedDays(BounceWithin); }
    static int boundedDays(quint32 days) { return int(qBound(1u, days, kBounceDaysMax)); }

    // MailSavePath as the path the outgoing folder is opened by.
    QString outgoingFolder() const { return QString::fromLocal8Bit(MailSavePath); }
};

// One stored value of CommonSettings: its name in the store and the member it
// fills. Exactly one of number / text is set.
struct CommonSettingField
{
    const char *name;
    quint32 CommonSettings::*number;
    QByteArray CommonSettings::*text;
};

// The fields in store order (the order they are read and written): the 17
// the sheet has always had, then the ones added since.
std::span<const CommonSettingField> commonSettingFields();
