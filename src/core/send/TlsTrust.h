#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslError>
#include <QString>
#include <QStringList>

// Which authorities a TLS connection of Tavelin trusts, and how a refused
// certificate is explained; shared by the SMTP and IMAP clients so that both
// trust the same servers and refuse them with the same words.

// The authorities trusted: the system's, as Qt's OpenSSL backend finds them,
// plus those of the PEM bundle SSL_CERT_FILE names (none when it is unset or
// unreadable: the list is then empty and the system's defaults apply). Built
// once per process and again only when SSL_CERT_FILE changes; *bundle gets
// the SSL_CERT_FILE the list was built for.
QList<QSslCertificate> extraTrustedAuthorities(QString *bundle);

// Why a certificate was refused, in the owner's words; each reason once.
// `unnamed`, when given, stands in for the errors Qt has no name for (its
// "Unknown error"): the reasons OpenSSL gives for them.
QString certificateReasons(const QList<QSslError> &errors, const QString &host,
                           const QStringList &unnamed = {});

// The reason of a certificate that is not one for `host`.
QString hostMismatchReason(const QString &host);

// The message of a refused certificate: heading and reasons.
QString certificateRefusal(const QString &reasons);
