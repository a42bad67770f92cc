#include "store/CommonSettings.h"

#include <QDateTime>

#include <cstdlib>

QByteArray CommonSettings::defaultEditor()
{
#ifdef Q_OS_WIN
    return "notepad.exe";
#else
    // No notepad here: the desktop's opener starts the user's editor.
    return "xdg-open";
#endif
}

QByteArray CommonSettings::machineTimeZone()
{
    const int minutes = QDateTime::currentDateTime().offsetFromUtc() / 60;
    const int size = std::abs(minutes);
    return (minutes < 0 ? "-" : "+") + QByteArray::number(size / 60).rightJustified(2, '0') +
           QByteArray::number(size % 60).rightJustified(2, '0');
}

std::span<const CommonSettingField> commonSettingFields()
{
    using C = CommonSettings;
    // clang-format off
    static const CommonSettingField fields[] = {
        {"UseQuillon", &C::UseQuillon, nullptr},  {"Server", nullptr, &C::Server},
        {"TimeZone", nullptr, &C::TimeZone},      {"UserName", nullptr, &C::UserName},
        {"PortNo", &C::PortNo, nullptr},          {"Password", nullptr, &C::Password},
        {"Address", nullptr, &C::Address},        {"MailSavePath", nullptr, &C::MailSavePath},
        {"SaveMail", &C::SaveMail, nullptr},      {"DialUp", &C::DialUp, nullptr},
        {"Entry", nullptr, &C::Entry},            {"Redial", &C::Redial, nullptr},
        {"Interval", &C::Interval, nullptr},      {"QuillonType", &C::QuillonType, nullptr},
        {"NoSignature", &C::NoSignature, nullptr}, {"Qsend", nullptr, &C::Qsend},
        {"Editer", nullptr, &C::Editer},          {"SmtpSecurity", nullptr, &C::SmtpSecurity},
        {"KeyringPasswords", &C::KeyringPasswords, nullptr},
        {"BounceMinDays", &C::BounceMinDays, nullptr}, {"BounceWithin", &C::BounceWithin, nullptr},
    };
    // clang-format on
    return fields;
}
