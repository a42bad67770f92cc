#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <span>

// The settings shared by all lists. Texts are bytes in the system code page;
// yes/no fields hold 0 or 1.
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

    static QByteArray defaultEditor();
    // The machine's offset from UTC now, "+hhmm" or "-hhmm": what a store
    // without a TimeZone value stands for, so that its Date headers name the
    // zone the owner lives in.
    static QByteArray machineTimeZone();

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

// The 17 fields in store order (the order they are read and written).
std::span<const CommonSettingField> commonSettingFields();
