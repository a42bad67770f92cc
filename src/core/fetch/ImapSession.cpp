#include "fetch/ImapSession.h"

#include "send/TlsTrust.h"

#include <QCoreApplication>
#include <QList>
#include <QSslError>

#include <curl/curl.h>
#include <openssl/x509_vfy.h>
#include <poll.h>

#include <algorithm>
#include <mutex>

namespace {

// The longest a wait goes on without looking at the cancel flag.
constexpr qint64 kWaitSliceMs = 50;
// What is read from the connection at a time.
constexpr size_t kChunk = 64 * 1024;
// The longest response text (without its literals) a session takes; a
// search over a mailbox of a million mails stays well under it.
constexpr qsizetype kMaxResponseText = 16 * 1024 * 1024;

CURL *easyOf(void *p)
{
    return static_cast<CURL *>(p);
}

CURLM *multiOf(void *p)
{
    return static_cast<CURLM *>(p);
}

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// OpenSSL's verification result as the refusal reasons the SMTP side gives.
QSslError::SslError sslErrorOf(long verifyResult)
{
    switch (verifyResult) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QSslError::CertificateExpired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QSslError::CertificateNotYetValid;
    case X509_V_ERR_CERT_REVOKED:
        return QSslError::CertificateRevoked;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        return QSslError::SelfSignedCertificate;
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return QSslError::SelfSignedCertificateInChain;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        return QSslError::UnableToGetIssuerCertificate;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        return QSslError::UnableToGetLocalIssuerCertificate;
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return QSslError::UnableToVerifyFirstCertificate;
    case X509_V_ERR_CERT_UNTRUSTED:
        return QSslError::CertificateUntrusted;
    case X509_V_ERR_CERT_REJECTED:
        return QSslError::CertificateRejected;
    case X509_V_OK:
    case X509_V_ERR_UNSPECIFIED:
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        // libcurl checks the name itself, after a chain that verified, and
        // marks its refusal as unspecified.
        return QSslError::HostNameMismatch;
    default:
        return QSslError::UnspecifiedError;
    }
}

QString openFailure(CURLcode code, long verifyResult, const char *detail, const QString &host)
{
    const QString said = QString::fromUtf8(detail).simplified();
    switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION:
        return certificateRefusal(certificateReasons({QSslError(sslErrorOf(verifyResult))}, host));
    case CURLE_USE_SSL_FAILED:
        return QCoreApplication::translate("ImapSession",
                                           "サーバーがTLS(STARTTLS)に対応していないため、"
                                           "ユーザー名とパスワードを送信できません");
    case CURLE_LOGIN_DENIED:
        return QCoreApplication::translate("SmtpSocket", "ログインを拒否されました");
    case CURLE_SSL_CONNECT_ERROR:
        return QCoreApplication::translate("SmtpSocket", "TLS通信を開始できませんでした\n") + said;
    case CURLE_OPERATION_TIMEDOUT:
        return QCoreApplication::translate("SmtpSocket", "ホストへの接続(応答受信)に失敗しました");
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return QCoreApplication::translate("SmtpSocket", "ホストへの接続に失敗しました");
    default:
        return QCoreApplication::translate("ImapSession", "ホストへの接続に失敗しました\n") + said;
    }
}

// A host name as it may stand in a URL: letters, digits, dots, hyphens (and
// an IPv6 literal's colons), nothing that could add a user, a path or a port.
bool usableHost(const QByteArray &host)
{
    return !host.isEmpty() && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-' || c == ':' || c == '_';
    });
}

// The text of the response line from the status word on, for messages: one
// line of at most 200 characters without control characters.
QString statusText(QByteArrayView line)
{
    QString text = QString::fromUtf8(line.data(), line.size());
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u' ';
    }
    text = text.simplified();
    if (text.size() > 200)
        text.truncate(text.at(199).isHighSurrogate() ? 199 : 200);
    return text;
}

// The command's name for a failure text: its first words, never an argument.
QString commandName(const QByteArray &command)
{
    QByteArrayList words = command.split(' ');
    QByteArray name = words.value(0);
    if (name == "UID" && words.size() > 1)
        name += ' ' + words.at(1);
    return QString::fromLatin1(name);
}

} // namespace

ImapSession::ImapSession()
{
    initialiseCurl();
}

ImapSession::~ImapSession()
{
    close();
}

bool ImapSession::cancelled() const
{
    return cancelFlag && cancelFlag->load();
}

void ImapSession::drop()
{
    if (m_multi && m_easy)
        curl_multi_remove_handle(multiOf(m_multi), easyOf(m_easy));
    if (m_easy)
        curl_easy_cleanup(easyOf(m_easy));
    if (m_multi)
        curl_multi_cleanup(multiOf(m_multi));
    m_easy = nullptr;
    m_multi = nullptr;
    m_buffer.clear();
}

bool ImapSession::open(const QByteArray &host, quint32 port, ImapSecurity security,
                       const QByteArray &user, const QByteArray &password)
{
    close();
    m_errorText.clear();
    m_tag = 0;
    const QString hostText = QString::fromLocal8Bit(host);
    if (!usableHost(host) || port == 0 || port > 65535) {
        m_errorText = QCoreApplication::translate("SmtpSocket", "ホストへの接続に失敗しました");
        return false;
    }
    CURL *easy = curl_easy_init();
    CURLM *multi = curl_multi_init();
    m_easy = easy;
    m_multi = multi;
    if (!easy || !multi) {
        m_errorText = QCoreApplication::translate("SmtpSocket", "ホストへの接続に失敗しました");
        drop();
        return false;
    }
    const bool ipv6 = host.contains(':');
    const QByteArray url = (security == ImapSecurity::ImplicitTls ? "imaps://" : "imap://") +
                           (ipv6 ? '[' + host + ']' : host) + ':' + QByteArray::number(port) + '/';
    char detail[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "imap,imaps");
    curl_easy_setopt(easy, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, password.constData());
    // The login goes out only over TLS; a server without STARTTLS gets none.
    curl_easy_setopt(easy, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    // libcurl connects, greets and logs in, then hands the connection over.
    curl_easy_setopt(easy, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(deadlines.connectMs));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(deadlines.connectMs));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // No proxy from the environment and no .netrc: what the settings say.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_NETRC, long(CURL_NETRC_IGNORED));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, detail);
    QString bundle;
    const QList<QSslCertificate> authorities = extraTrustedAuthorities(&bundle);
    QByteArray pem;
    for (const QSslCertificate &authority : authorities)
        pem += authority.toPem();
    if (!pem.isEmpty()) {
        curl_blob blob{pem.data(), size_t(pem.size()), CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }
    curl_multi_add_handle(multi, easy);

    const QDeadlineTimer deadline(deadlines.connectMs);
    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        curl_multi_perform(multi, &running);
        if (running == 0) {
            int left = 0;
            while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE)
                    result = message->data.result;
            }
            break;
        }
        if (cancelled() || deadline.hasExpired()) {
            result = cancelled() ? CURLE_ABORTED_BY_CALLBACK : CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, int(kWaitSliceMs), nullptr);
    }
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
    if (result != CURLE_OK) {
        long verifyResult = X509_V_OK;
        curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
        m_errorText =
            result == CURLE_ABORTED_BY_CALLBACK
                ? QCoreApplication::translate("SmtpSocket", "ホストへの接続に失敗しました")
                : openFailure(result, verifyResult, detail, hostText);
        drop();
        return false;
    }
    return true;
}

bool ImapSession::waitSocket(bool forWrite, const QDeadlineTimer &deadline)
{
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(easyOf(m_easy), CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK ||
        socket == CURL_SOCKET_BAD)
        return false;
    for (;;) {
        if (cancelled() || deadline.hasExpired())
            return false;
        pollfd entry{socket, short(forWrite ? POLLOUT : POLLIN), 0};
        const int sliceMs = int(std::clamp<qint64>(deadline.remainingTime(), 1, kWaitSliceMs));
        const int ready = ::poll(&entry, 1, sliceMs);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

bool ImapSession::send(const QByteArray &bytes, const QDeadlineTimer &deadline)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        size_t sent = 0;
        const CURLcode rc = curl_easy_send(easyOf(m_easy), bytes.constData() + done,
                                           size_t(bytes.size() - done), &sent);
        if (rc == CURLE_OK) {
            done += qsizetype(sent);
        } else if (rc != CURLE_AGAIN || !waitSocket(true, deadline)) {
            return false;
        }
    }
    return true;
}

bool ImapSession::receive(const QDeadlineTimer &deadline)
{
    char chunk[kChunk];
    for (;;) {
        size_t got = 0;
        const CURLcode rc = curl_easy_recv(easyOf(m_easy), chunk, sizeof chunk, &got);
        if (rc == CURLE_OK) {
            if (got == 0)
                return false; // the server closed the connection
            m_buffer.append(chunk, qsizetype(got));
            return true;
        }
        if (rc != CURLE_AGAIN || !waitSocket(false, deadline))
            return false;
    }
}

ImapSession::Status ImapSession::command(const QByteArray &text)
{
    ImapResponseSink ignore;
    return command(text, ignore);
}

ImapSession::Status ImapSession::command(const QByteArray &text, ImapResponseSink &sink)
{
    if (!m_easy) {
        m_errorText = QCoreApplication::translate("SmtpSocket", "ホストへの接続に失敗しました");
        return Status::Failed;
    }
    const QByteArray tag = 'T' + QByteArray::number(++m_tag);
    const QByteArray tagged = tag + ' ';
    const QDeadlineTimer whole(deadlines.commandMs);
    const QString failure = QCoreApplication::translate("SmtpSocket", "応答受信(%1)に失敗しました")
                                .arg(commandName(text));
    if (!send(tagged + text + "\r\n", whole)) {
        m_errorText = QCoreApplication::translate("SmtpSocket", "コマンド送信(%1)に失敗しました")
                          .arg(commandName(text));
        drop();
        return Status::Failed;
    }
    QByteArray response;
    qint64 literalLeft = 0;
    qsizetype pos = 0;
    for (;;) {
        for (;;) {
            if (literalLeft > 0) {
                const qint64 n = std::min<qint64>(literalLeft, m_buffer.size() - pos);
                if (n == 0)
                    break;
                sink.literalData(QByteArrayView(m_buffer).sliced(pos, n));
                pos += n;
                literalLeft -= n;
                continue;
            }
            const qsizetype end = m_buffer.indexOf('\n', pos);
            if (end < 0) {
                if (m_buffer.size() - pos + response.size() > kMaxResponseText) {
                    m_errorText = failure;
                    drop();
                    return Status::Failed;
                }
                break;
            }
            QByteArrayView line = QByteArrayView(m_buffer).sliced(pos, end - pos);
            pos = end + 1;
            if (line.endsWith('\r'))
                line.chop(1);
            // RFC 3501 4.3 (and RFC 7888's "{n+}"): a literal ends the line.
            if (line.endsWith('}')) {
                const qsizetype open = line.lastIndexOf('{');
                QByteArrayView digits =
                    open >= 0 ? line.sliced(open + 1, line.size() - open - 2) : QByteArrayView();
                if (digits.endsWith('+'))
                    digits.chop(1);
                bool ok =
                    !digits.isEmpty() && std::all_of(digits.begin(), digits.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
                const qint64 size = ok ? digits.toLongLong(&ok) : -1;
                if (ok && size >= 0) {
                    response += line.first(open);
                    response += "{}";
                    literalLeft = size;
                    sink.literalBegin(size);
                    continue;
                }
            }
            response += line;
            if (response.size() > kMaxResponseText) {
                m_errorText = failure;
                drop();
                return Status::Failed;
            }
            if (response.startsWith(tagged)) {
                m_buffer.remove(0, pos);
                const QByteArrayView rest = QByteArrayView(response).sliced(tagged.size());
                if (rest.startsWith("OK"))
                    return Status::Ok;
                m_errorText = QCoreApplication::translate(
                                  "ImapSession", "コマンド実行に失敗しました\nコマンド:%1\n%2")
                                  .arg(commandName(text), statusText(rest));
                return rest.startsWith("NO") ? Status::No : Status::Bad;
            }
            if (response.startsWith("* "))
                sink.response(response);
            else if (response.startsWith("+")) {
                // A continuation request: nothing of ours waits for one.
                m_errorText = failure;
                drop();
                return Status::Failed;
            }
            response.clear();
        }
        m_buffer.remove(0, pos);
        pos = 0;
        QDeadlineTimer idle(deadlines.idleMs);
        if (whole.deadline() < idle.deadline())
            idle = whole;
        if (!receive(idle)) {
            m_errorText = failure;
            drop();
            return Status::Failed;
        }
    }
}

void ImapSession::close()
{
    if (!m_easy)
        return;
    if (!cancelled()) {
        // RFC 3501 6.1.3; its failure changes nothing.
        const ImapDeadlines kept = deadlines;
        deadlines = ImapDeadlines::uniform(2000);
        const QString error = m_errorText;
        command("LOGOUT");
        m_errorText = error;
        deadlines = kept;
    }
    drop();
}

QByteArray ImapSession::mailboxArgument(const QString &name)
{
    if (name.isEmpty())
        return {};
    QByteArray encoded;
    QString pending; // characters waiting for their base64 run
    auto flush = [&] {
        if (pending.isEmpty())
            return;
        QByteArray utf16;
        for (const QChar c : std::as_const(pending)) {
            utf16.append(char(c.unicode() >> 8));
            utf16.append(char(c.unicode() & 0xff));
        }
        QByteArray base = utf16.toBase64(QByteArray::OmitTrailingEquals);
        base.replace('/', ',');
        encoded += '&' + base + '-';
        pending.clear();
    };
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f)
            return {};
        if (u < 0x7f) {
            flush();
            if (u == '&')
                encoded += "&-";
            else if (u == '"' || u == '\\')
                encoded += '\\' + QByteArray(1, char(u));
            else
                encoded += char(u);
        } else {
            pending += c;
        }
    }
    flush();
    return '"' + encoded + '"';
}
