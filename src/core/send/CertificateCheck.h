#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QStringList>

// The checks of a server's certificate that Qt makes too leniently or
// reports without a reason, made with OpenSSL itself.
namespace CertificateCheck {

// True when `certificate` is one for `host` as RFC 9525 (and RFC 6125 before
// it) say: an IP address matches only an iPAddress entry; a host name matches
// the dNSName entries when the certificate has subject alternative names,
// and its subject's common name only when it has none; a wildcard stands for
// a whole left-most label. Qt also takes the common name beside the
// alternative names, and an address written as a dNSName.
bool namesHost(const QSslCertificate &certificate, const QString &host);

// OpenSSL's reasons why it refuses `chain` (the server's certificate first),
// verified against `authorities` at the security level TLS connections use,
// for the faults Qt knows no name for ("Unknown error"): a digest or a key
// too weak for that level, and the like. Each reason once.
QStringList unnamedFaults(const QList<QSslCertificate> &chain,
                          const QList<QSslCertificate> &authorities);

} // namespace CertificateCheck
