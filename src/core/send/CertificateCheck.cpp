#include "send/CertificateCheck.h"

#include <QHostAddress>
#include <QUrl>

#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace CertificateCheck {

namespace {

struct X509Free
{
    void operator()(X509 *x) const { X509_free(x); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

X509Ptr toX509(const QSslCertificate &certificate)
{
    const QByteArray der = certificate.toDer();
    const auto *bytes = reinterpret_cast<const unsigned char *>(der.constData());
    return X509Ptr(d2i_X509(nullptr, &bytes, long(der.size())));
}

// The verification errors Qt gives a name of its own (QSslError's enum); the
// others all read "Unknown error".
bool namedByQt(int error)
{
    switch (error) {
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE:
    case X509_V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY:
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
    case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_REVOKED:
    case X509_V_ERR_INVALID_CA:
    case X509_V_ERR_PATH_LENGTH_EXCEEDED:
    case X509_V_ERR_INVALID_PURPOSE:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_CERT_REJECTED:
        return true;
    default:
        return false;
    }
}

// Notes every error of a verification and lets it go on, so that all of
// them are found, as Qt's own callback does during the handshake.
int collectErrors(int, X509_STORE_CTX *context)
{
    auto *found = static_cast<QStringList *>(X509_STORE_CTX_get_app_data(context));
    const int error = X509_STORE_CTX_get_error(context);
    if (found && error != X509_V_OK && !namedByQt(error)) {
        const QString reason = QString::fromLatin1(X509_verify_cert_error_string(error));
        if (!found->contains(reason))
            found->append(reason);
    }
    return 1;
}

// The security level a new TLS context has: the system's configuration
// (openssl.cnf) sets it, and Qt's connections start from it.
int tlsSecurityLevel()
{
    SSL_CTX *context = SSL_CTX_new(TLS_client_method());
    if (!context)
        return 1;
    const int level = SSL_CTX_get_security_level(context);
    SSL_CTX_free(context);
    return level;
}

} // namespace

bool namesHost(const QSslCertificate &certificate, const QString &host)
{
    const X509Ptr x509 = toX509(certificate);
    if (!x509)
        return false;
    if (!QHostAddress(host).isNull())
        return X509_check_ip_asc(x509.get(), host.toLatin1().constData(), 0) == 1;
    unsigned int flags = X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS;
    if (X509_get_ext_by_NID(x509.get(), NID_subject_alt_name, -1) >= 0)
        flags |= X509_CHECK_FLAG_NEVER_CHECK_SUBJECT;
    // The name as DNS carries it: an internationalised one in its A-labels.
    const QByteArray name = QUrl::toAce(host);
    return !name.isEmpty() &&
           X509_check_host(x509.get(), name.constData(), size_t(name.size()), flags, nullptr) == 1;
}

QStringList unnamedFaults(const QList<QSslCertificate> &chain,
                          const QList<QSslCertificate> &authorities)
{
    QStringList found;
    if (chain.isEmpty())
        return found;
    const X509Ptr leaf = toX509(chain.first());
    X509_STORE *store = X509_STORE_new();
    STACK_OF(X509) *untrusted = sk_X509_new_null();
    X509_STORE_CTX *context = X509_STORE_CTX_new();
    if (leaf && store && untrusted && context) {
        for (const QSslCertificate &authority : authorities) {
            if (const X509Ptr x509 = toX509(authority))
                X509_STORE_add_cert(store, x509.get()); // takes its own reference
        }
        for (qsizetype i = 1; i < chain.size(); ++i) {
            if (X509Ptr x509 = toX509(chain.at(i)); x509 && sk_X509_push(untrusted, x509.get()))
                x509.release(); // the stack owns it now
        }
        if (X509_STORE_CTX_init(context, store, leaf.get(), untrusted) == 1) {
            X509_STORE_CTX_set_default(context, "ssl_server");
            X509_VERIFY_PARAM_set_auth_level(X509_STORE_CTX_get0_param(context),
                                             tlsSecurityLevel());
            X509_STORE_CTX_set_app_data(context, &found);
            X509_STORE_CTX_set_verify_cb(context, collectErrors);
            X509_verify_cert(context);
        }
    }
    X509_STORE_CTX_free(context);
    sk_X509_pop_free(untrusted, X509_free);
    X509_STORE_free(store);
    return found;
}

} // namespace CertificateCheck
