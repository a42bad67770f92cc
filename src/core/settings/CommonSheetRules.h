#pragma once

#include "resources/ResourceIds.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <span>

// The enabling rules of the sending page of the common settings as id lists,
// the sending program's label, the connection names the page offers, and the
// outgoing folder's creation: the page applies them, they live here.
namespace CommonSheetRules {

namespace Ids = CommonSendIds;

// Enabled for the own SMTP client, disabled for the companion client.
inline constexpr int kOwnSmtpControls[] = {
    Ids::IDC_SERVER_LABEL,   Ids::IDC_TIMEZONE_LABEL, Ids::IDC_PORT_LABEL,
    Ids::IDC_USERNAME_LABEL, Ids::IDC_PASSWORD_LABEL, Ids::IDC_ADDRESS_LABEL,
    Ids::IDC_FOLDER_LABEL,   Ids::IDC_ENTRY_LABEL,    Ids::IDC_REDIAL_LABEL,
    Ids::IDC_INTERVAL_LABEL, Ids::IDC_SERVER,         Ids::IDC_TIMEZONE,
    Ids::IDC_PORT,           Ids::IDC_USERNAME,       Ids::IDC_PASSWORD,
    Ids::IDC_ADDRESS,        Ids::IDC_FOLDER,         Ids::IDC_FOLDER_BROWSE,
    Ids::IDC_SAVE_MAIL,      Ids::IDC_DIALUP,         Ids::IDC_SECURITY_LABEL,
    Ids::IDC_SECURITY,
};
// Enabled only while dial-up is ticked in the own-SMTP mode.
inline constexpr int kDialUpControls[] = {Ids::IDC_ENTRY_LABEL, Ids::IDC_ENTRY,
                                          Ids::IDC_REDIAL,      Ids::IDC_REDIAL_SPIN,
                                          Ids::IDC_INTERVAL,    Ids::IDC_INTERVAL_SPIN};
// Enabled for the companion client, disabled for the own SMTP client.
inline constexpr int kCompanionControls[] = {
    Ids::IDC_NO_SIGNATURE, Ids::IDC_EDITION_16, Ids::IDC_PROGRAM_LABEL,
    Ids::IDC_EDITION_32,   Ids::IDC_PROGRAM,    Ids::IDC_PROGRAM_BROWSE,
};

constexpr bool listed(std::span<const int> ids, int id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}
// The port's arrows stay usable in both modes, and the mode radios are never greyed.
static_assert(!listed(kOwnSmtpControls, Ids::IDC_PORT_SPIN) &&
              !listed(kDialUpControls, Ids::IDC_PORT_SPIN) &&
              !listed(kCompanionControls, Ids::IDC_PORT_SPIN));
static_assert(!listed(kOwnSmtpControls, Ids::IDC_OWN_SMTP) &&
              !listed(kCompanionControls, Ids::IDC_QUILLON));

// The entries of the connection-security list, in the order of
// SmtpSecurity's values.
QStringList securityChoices();

// The label over the sending program for the companion edition (the radio's
// position: 0 the 16-bit one, 1 the 32-bit one); nothing for none checked.
std::optional<QString> programLabel(int edition);

// The connection names as the page lists them: sorted without regard to
// letter case. A stored entry that none of them begins with is listed too, so
// that it is shown and kept until the owner picks another.
QStringList entryChoices(QStringList names, const QByteArray &storedEntry);

// Creates folder and the folders above it that are missing, each mode 0700
// (they hold mails with list passwords). Empty on success, else the reason.
QString createFolder(const QString &folder);

} // namespace CommonSheetRules
