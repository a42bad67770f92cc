#include "send/TlsTrust.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMutex>
#include <QSet>
#include <QSslConfiguration>
#include <QStringList>

// The texts keep the translation context of the SMTP client, where they were
// first said.

QList<QSslCertificate> extraTrustedAuthorities(QString *bundle)
{
    static QMutex mutex;
    static QString builtFor;
    static bool built = false;
    static QList<QSslCertificate> authorities;
    QMutexLocker lock(&mutex);
    const QString wanted = qEnvironmentVariable("SSL_CERT_FILE");
    if (!built || builtFor != wanted) {
        // OpenSSL reads SSL_CERT_FILE itself, Qt and libcurl do not; and Qt
        // stops looking in the system's folders once authorities are set, so
        // the system's list is loaded whole then. Qt builds a certificate
        // store from that list for every connection, at a cost that grows
        // faster than the list: certificates found twice (Qt reads the
        // system's folder under two names) and expired ones (which Qt leaves
        // out of the store anyway) are dropped from it here.
        authorities.clear();
        const QList<QSslCertificate> extra =
            wanted.isEmpty() ? QList<QSslCertificate>() : QSslCertificate::fromPath(wanted);
        if (!extra.isEmpty()) {
            const QDateTime now = QDateTime::currentDateTimeUtc();
            QSet<QSslCertificate> seen;
            for (const QSslCertificate &authority :
                 QSslConfiguration::systemCaCertificates() + extra) {
                if (authority.expiryDate() >= now && !seen.contains(authority)) {
                    seen.insert(authority);
                    authorities.append(authority);
                }
            }
        }
        builtFor = wanted;
        built = true;
    }
    if (bundle)
        *bundle = builtFor;
    return authorities;
}

QString hostMismatchReason(const QString &host)
{
    return QCoreApplication::translate("SmtpSocket", "ホスト名(%1)の証明書ではありません")
        .arg(host);
}

QString certificateReasons(const QList<QSslError> &errors, const QString &host,
                           const QStringList &unnamed)
{
    QStringList reasons;
    auto add = [&reasons](const QString &reason) {
        if (!reasons.contains(reason))
            reasons.append(reason);
    };
    for (const QSslError &error : errors) {
        switch (error.error()) {
        case QSslError::CertificateExpired:
            add(QCoreApplication::translate("SmtpSocket", "有効期限が切れています"));
            break;
        case QSslError::CertificateNotYetValid:
            add(QCoreApplication::translate("SmtpSocket", "有効期間が始まっていません"));
            break;
        case QSslError::HostNameMismatch:
            add(hostMismatchReason(host));
            break;
        case QSslError::CertificateRevoked:
            add(QCoreApplication::translate("SmtpSocket", "失効しています"));
            break;
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::CertificateUntrusted:
        case QSslError::CertificateRejected:
            add(QCoreApplication::translate("SmtpSocket",
                                            "信頼できる認証局の証明書ではありません"));
            break;
        case QSslError::UnspecifiedError:
            for (const QString &reason : unnamed)
                add(reason);
            if (unnamed.isEmpty())
                add(error.errorString());
            break;
        default:
            add(error.errorString());
            break;
        }
    }
    return reasons.join(QCoreApplication::translate("SmtpSocket", "、"));
}

QString certificateRefusal(const QString &reasons)
{
    return QCoreApplication::translate("SmtpSocket", "サーバーの証明書を拒否しました\n理由:") +
           reasons;
}
