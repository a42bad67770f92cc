#include "send/SmtpSocket.h"

#include "common/LineStream.h"
#include "send/CertificateCheck.h"
#include "send/SmtpContentEncoder.h"
#include "send/TlsTrust.h"
#include "store/CommonSettings.h"
#include "store/SafeFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QHostInfo>
#include <QMutex>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// How much of the mail file is read, and sent, at a time: the content goes
// out in few large writes, not one small write per line.
constexpr qint64 kChunk = 64 * 1024;
// A header line longer than this cannot carry an envelope address.
constexpr qint64 kMaxHeaderLine = 64 * 1024;
// The longest a wait goes on without looking at the cancel flag.
constexpr qint64 kWaitSliceMs = 50;

// What the server said, for a failure text: the text of the reply's lines
// without their codes, on one line of at most 200 characters, with no
// control characters (a server must not be able to shape the message).
QString replyText(const QByteArrayList &lines)
{
    QByteArrayList texts;
    for (const QByteArray &line : lines) {
        const bool coded =
            line.size() >= 3 && std::all_of(line.begin(), line.begin() + 3,
                                            [](char c) { return c >= '0' && c <= '9'; });
        texts.append(coded ? line.mid(4) : line);
    }
    QString text = QString::fromUtf8(texts.join(' '));
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u' ';
    }
    text = text.simplified();
    if (text.size() > 200)
        text.truncate(text.at(199).isHighSurrogate() ? 199 : 200);
    return text;
}

// A failure on the server's reply: the heading, the command as sent (without
// its CR LF), the code asked for, the code received and the server's text.
QString replyFailure(const QString &heading, const QByteArray &sent, int required, int received,
                     const QByteArrayList &reply)
{
    QString text = heading;
    if (!sent.isEmpty())
        text +=
            QCoreApplication::translate("SmtpSocket", "\nコマンド:") + QString::fromLocal8Bit(sent);
    if (required != 0)
        text += QCoreApplication::translate("SmtpSocket", "\n要求コード :%1").arg(required, 4);
    text += QCoreApplication::translate("SmtpSocket", "\n応答コード :%1").arg(received, 4);
    const QString said = replyText(reply);
    if (!said.isEmpty())
        text += u'\n' + said;
    return text;
}

QString commandFailure(QByteArray sent, int required, int received, const QByteArrayList &reply)
{
    if (sent.endsWith("\r\n"))
        sent.chop(2);
    return replyFailure(QCoreApplication::translate("SmtpSocket", "コマンド実行に失敗しました"),
                        sent, required, received, reply);
}

QString cannotOpen(const QString &path)
{
    return QCoreApplication::translate("SmtpSocket", "ファイル(%1)を開けません").arg(path);
}

QString sendFailed(const char *command)
{
    return QCoreApplication::translate("SmtpSocket", "コマンド送信(%1)に失敗しました")
        .arg(QLatin1String(command));
}

QString replyFailed(const char *command)
{
    return QCoreApplication::translate("SmtpSocket", "応答受信(%1)に失敗しました")
        .arg(QLatin1String(command));
}

QString dataFailed()
{
    return QCoreApplication::translate("SmtpSocket", "データ送信に失敗しました");
}

// An envelope address goes into a command line: it must not be able to end
// that line early or smuggle in a second command.
bool usableAddress(const QByteArray &address)
{
    return !address.isEmpty() && !address.contains('\r') && !address.contains('\n') &&
           !address.contains('\0');
}

// The TLS settings of every connection, built once per process (again only
// when SSL_CERT_FILE changes), trusting what TlsTrust.h says.
QSslConfiguration tlsConfiguration(QString &trust)
{
    static QMutex mutex;
    static QString builtFor;
    static QSslConfiguration configuration;
    QMutexLocker lock(&mutex);
    QString bundle;
    const QList<QSslCertificate> authorities = extraTrustedAuthorities(&bundle);
    if (configuration.isNull() || builtFor != bundle) {
        configuration = QSslConfiguration::defaultConfiguration();
        // Sessions are kept for resumption (below): Qt hands them out only then.
        configuration.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
        if (!authorities.isEmpty())
            configuration.setCaCertificates(authorities);
        builtFor = bundle;
    }
    trust = builtFor;
    return configuration;
}

// TLS sessions to resume (RFC 8446 2.2, RFC 5077): the next connection to the
// same server, under the same name and the same trust, skips the certificate
// exchange; the session was made by a handshake whose certificate was
// verified. A server that does not take the session back gets a full
// handshake, verified as always. Held for this process only.
class TlsSessions
{
public:
    static QByteArray take(const QString &key)
    {
        QMutexLocker lock(&mutex());
        return sessions().value(key);
    }

    static void keep(const QString &key, const QByteArray &session)
    {
        QMutexLocker lock(&mutex());
        QHash<QString, QByteArray> &all = sessions();
        // Deliveries go to one server or a few: a small bound is enough.
        constexpr qsizetype kMaxServers = 16;
        if (all.size() >= kMaxServers && !all.contains(key))
            all.clear();
        all.insert(key, session);
    }

private:
    static QMutex &mutex()
    {
        static QMutex m;
        return m;
    }
    static QHash<QString, QByteArray> &sessions()
    {
        static QHash<QString, QByteArray> s;
        return s;
    }
};

// Why the certificate of `tls` was refused; for the errors Qt has no name
// for ("Unknown error": a digest or a key too weak), OpenSSL's reasons.
QString refusalReasons(const QSslSocket &tls, const QString &host)
{
    const QList<QSslError> errors = tls.sslHandshakeErrors();
    const bool unnamed = std::any_of(errors.cbegin(), errors.cend(), [](const QSslError &error) {
        return error.error() == QSslError::UnspecifiedError;
    });
    return certificateReasons(
        errors, host,
        unnamed ? CertificateCheck::unnamedFaults(tls.peerCertificateChain(),
                                                  tls.sslConfiguration().caCertificates())
                : QStringList());
}

} // namespace

namespace {
// clang-format off
constexpr std::pair<SmtpSecurity, const char *> kSecurityNames[] = {
    {SmtpSecurity::Plain, "none"}, {SmtpSecurity::StartTls, "starttls"},
    {SmtpSecurity::ImplicitTls, "tls"},
};
// clang-format on
} // namespace

QByteArray smtpSecurityName(SmtpSecurity security)
{
    for (const auto &[value, name] : kSecurityNames)
        if (value == security)
            return name;
    return {};
}

std::optional<SmtpSecurity> parseSmtpSecurity(const QByteArray &name)
{
    const QByteArray wanted = name.trimmed().toLower();
    for (const auto &[value, known] : kSecurityNames)
        if (wanted == known)
            return value;
    return std::nullopt;
}

SmtpSecurity smtpSecurity(quint32 port, const QByteArray &userName, quint32 implicitTlsPort)
{
    if (port == implicitTlsPort)
        return SmtpSecurity::ImplicitTls;
    return userName.isEmpty() ? SmtpSecurity::Plain : SmtpSecurity::StartTls;
}

SmtpSecurity smtpSecurity(const CommonSettings &settings)
{
    return parseSmtpSecurity(settings.SmtpSecurity)
        .value_or(smtpSecurity(settings.PortNo, settings.UserName));
}

// What an EHLO reply offers, of what this client uses.
struct CSmtpSocket::Extensions
{
    bool startTls = false;
    bool plain = false;
    bool login = false;
};

CSmtpSocket::CSmtpSocket()
    : m_socket(std::make_unique<QTcpSocket>()), m_readBuffer(kChunk, Qt::Uninitialized)
{
}

CSmtpSocket::~CSmtpSocket()
{
    m_socket->abort();
}

bool CSmtpSocket::cancelled() const
{
    return cancelFlag && cancelFlag->load();
}

bool CSmtpSocket::timeLeft(const QDeadlineTimer &deadline, int &sliceMs) const
{
    if (cancelled() || deadline.hasExpired())
        return false;
    // Waits are cut into short slices so that a cancel is seen at once.
    sliceMs = int(std::clamp<qint64>(deadline.remainingTime(), 1, kWaitSliceMs));
    return true;
}

void CSmtpSocket::say(const QString &line)
{
    if (report)
        report(line);
}

bool CSmtpSocket::scanHeader(const QString &mailFile, QByteArray &to, QByteArray &from)
{
    QFile file(mailFile);
    if (!SafeFile::openPlain(file, QIODevice::Unbuffered).isEmpty()) {
        m_errorText = cannotOpen(mailFile);
        return false;
    }
    static const QByteArray kTo = "To: ";
    static const QByteArray kFrom = "From: ";
    static const QByteArray kList = "X-Tavelin-ML: ";
    // A line longer than kMaxHeaderLine comes in pieces: too long to carry
    // an address, it is skipped.
    LineStream lines(file, kMaxHeaderLine + 1);
    LineStream::Piece piece;
    bool atLineStart = true;
    while (lines.next(piece)) {
        if (!std::exchange(atLineStart, piece.lineEnd) || !piece.lineEnd)
            continue;
        const QByteArrayView line = piece.bytes;
        if (line.isEmpty())
            break;
        if (line.startsWith(kTo))
            to = line.sliced(kTo.size()).toByteArray();
        else if (line.startsWith(kFrom))
            from = line.sliced(kFrom.size()).toByteArray();
        else if (line.startsWith(kList))
            m_listTitle = line.sliced(kList.size()).toByteArray();
        if (!to.isEmpty() && !from.isEmpty() && !m_listTitle.isEmpty())
            break;
    }
    if (!usableAddress(to) || !usableAddress(from)) {
        m_errorText =
            QCoreApplication::translate("SmtpSocket", "宛先か自分のアドレスを取得できませんでした");
        return false;
    }
    return true;
}

bool CSmtpSocket::lookUp(const QString &host, const QDeadlineTimer &deadline,
                         QList<QHostAddress> &addresses)
{
    // The answer comes as an event, so this one wait runs an event loop.
    struct Answer
    {
        bool arrived = false;
        QList<QHostAddress> addresses;
    };
    const auto answer = std::make_shared<Answer>();
    QObject context;
    const int id = QHostInfo::lookupHost(host, &context, [answer](const QHostInfo &info) {
        answer->addresses = info.addresses();
        answer->arrived = true;
    });
    QEventLoop loop;
    QTimer slice;
    slice.setSingleShot(true);
    int sliceMs = 0;
    while (!answer->arrived && timeLeft(deadline, sliceMs)) {
        slice.start(sliceMs);
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (!answer->arrived)
        QHostInfo::abortHostLookup(id);
    addresses = answer->addresses;
    return !addresses.isEmpty();
}

bool CSmtpSocket::connectTo(const QByteArray &server, quint32 port, bool tls)
{
    if (port == 0 || port > 65535)
        return false;
    if (tls) {
        auto socket = std::make_unique<QSslSocket>();
        m_tls = socket.get();
        m_socket = std::move(socket);
    } else if (m_tls) {
        m_socket = std::make_unique<QTcpSocket>();
        m_tls = nullptr;
    }
    const QDeadlineTimer deadline(deadlines.connectMs);
    const QString host = QString::fromLocal8Bit(server);
    QList<QHostAddress> addresses;
    if (QHostAddress literal; literal.setAddress(host))
        addresses.append(literal);
    else if (!lookUp(host, deadline, addresses))
        return false;
    for (const QHostAddress &address : std::as_const(addresses)) {
        // Unbuffered: writes go straight to the kernel and reads come
        // straight from it, so nothing piles up in Qt's buffers (a server
        // sending without end cannot grow memory beyond the reply cap).
        // (QSslSocket keeps its own buffers: the decrypted bytes are there.)
        m_socket->connectToHost(address, quint16(port),
                                tls ? QIODevice::ReadWrite
                                    : QIODevice::ReadWrite | QIODevice::Unbuffered);
        int sliceMs = 0;
        while (m_socket->state() != QAbstractSocket::ConnectedState &&
               m_socket->state() != QAbstractSocket::UnconnectedState &&
               timeLeft(deadline, sliceMs))
            m_socket->waitForConnected(sliceMs);
        if (m_socket->state() == QAbstractSocket::ConnectedState) {
            // Each write is a whole command or a large piece of content:
            // send it now rather than wait for the last segment's ACK.
            m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            return true;
        }
        m_socket->abort();
        if (cancelled() || deadline.hasExpired())
            break;
    }
    return false;
}

bool CSmtpSocket::readReply(const QDeadlineTimer &deadline, int &code)
{
    for (;;) {
        const SmtpReplyReader::State state = m_reader.state();
        if (state == SmtpReplyReader::State::Complete) {
            code = m_reader.code();
            m_replyLines = m_reader.lines();
            m_reader.next();
            return true;
        }
        int sliceMs = 0;
        if (state == SmtpReplyReader::State::TooLong || !timeLeft(deadline, sliceMs))
            return false;
        // Wait for bytes (not when some are there already), then read them;
        // a read also notices a closed connection.
        if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(sliceMs) &&
            m_socket->state() == QAbstractSocket::ConnectedState)
            continue;
        const qint64 got = m_socket->read(m_readBuffer.data(), m_readBuffer.size());
        if (got > 0)
            m_reader.feed(QByteArray::fromRawData(m_readBuffer.constData(), got));
        else if (m_socket->state() != QAbstractSocket::ConnectedState)
            return false;
    }
}

bool CSmtpSocket::writeAll(const QByteArray &bytes, const QDeadlineTimer &deadline)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState ||
        m_socket->write(bytes) != bytes.size())
        return false;
    int sliceMs = 0;
    while (m_socket->bytesToWrite() > 0 && m_socket->state() == QAbstractSocket::ConnectedState &&
           timeLeft(deadline, sliceMs))
        m_socket->waitForBytesWritten(sliceMs);
    return m_socket->bytesToWrite() == 0 && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool CSmtpSocket::exchange(const QByteArray &text, int deadlineMs, const QString &sendFailure,
                           const QString &replyFailure, int &code)
{
    // A cancel or a deadline ends a step with its reply-failure text.
    const QDeadlineTimer deadline(deadlineMs);
    if (!writeAll(text, deadline)) {
        // A failed write leaves the socket's state as it was: what tells a
        // broken connection from a cancel or a deadline is the clock.
        m_errorText = cancelled() || deadline.hasExpired() ? replyFailure : sendFailure;
        return false;
    }
    if (!readReply(deadline, code)) {
        m_errorText = replyFailure;
        return false;
    }
    return true;
}

bool CSmtpSocket::command(const QByteArray &text, int deadlineMs, const QString &sendFailure,
                          const QString &replyFailure, int required)
{
    int code = 0;
    if (!exchange(text, deadlineMs, sendFailure, replyFailure, code))
        return false;
    // RFC 5321 4.2: a client acts on the first digit (251 to RCPT TO is a
    // success just as 250 is).
    if (required != 0 && code / 100 != required / 100)
        return refuse(commandFailure(text, required, code, m_replyLines));
    return true;
}

bool CSmtpSocket::refuse(const QString &text)
{
    m_errorText = text;
    m_inStep = true;
    return false;
}

bool CSmtpSocket::startTls(const QString &host)
{
    say(QCoreApplication::translate("SmtpSocket", "TLS 開始中"));
    QSslSocket &tls = *m_tls;
    QString trust;
    QSslConfiguration configuration = tlsConfiguration(trust);
    m_sessionKey = host + u'\n' + QString::number(tls.peerPort()) + u'\n' + trust;
    configuration.setSessionTicket(TlsSessions::take(m_sessionKey));
    tls.setSslConfiguration(configuration);
    // The name typed in the settings is what the certificate must name.
    tls.setPeerVerifyName(host);
    tls.startClientEncryption();
    const QDeadlineTimer deadline(deadlines.tlsMs);
    // A refused certificate or a broken handshake aborts the socket; a wait
    // that only ran out of time leaves it connected.
    auto broken = [&tls] {
        return tls.state() != QAbstractSocket::ConnectedState ||
               (tls.error() != QAbstractSocket::UnknownSocketError &&
                tls.error() != QAbstractSocket::SocketTimeoutError);
    };
    int sliceMs = 0;
    while (!tls.isEncrypted() && !broken() && timeLeft(deadline, sliceMs))
        tls.waitForEncrypted(sliceMs);
    // Qt has verified the chain and a name; the name is checked again by the
    // stricter rule before anything is sent over the connection.
    if (tls.isEncrypted() && CertificateCheck::namesHost(tls.peerCertificate(), host))
        return true;
    if (tls.isEncrypted()) {
        m_errorText = certificateRefusal(hostMismatchReason(host));
        m_sessionKey.clear(); // a session of this server is none to resume
    } else if (!tls.sslHandshakeErrors().isEmpty()) {
        m_errorText = certificateRefusal(refusalReasons(tls, host));
    } else if (broken()) {
        m_errorText = QCoreApplication::translate("SmtpSocket", "TLS通信を開始できませんでした\n") +
                      tls.errorString();
    } else {
        m_errorText = replyFailed("TLS");
    }
    tls.abort();
    return false;
}

bool CSmtpSocket::extendedHello(const QByteArray &helloName, Extensions &extensions)
{
    extensions = {};
    const QByteArray ehlo = "EHLO " + helloName + "\r\n";
    int code = 0;
    if (!exchange(ehlo, deadlines.heloMs, sendFailed("EHLO"), replyFailed("EHLO"), code))
        return false;
    if (code / 100 == 5) {
        // RFC 5321 3.2: a server that knows no EHLO still takes HELO; but it
        // offers neither TLS nor a login then.
        const QByteArrayList refusal = m_replyLines;
        if (!command("HELO " + helloName + "\r\n", deadlines.heloMs, sendFailed("HELO"),
                     replyFailed("HELO"), 250))
            return false;
        return refuse(replyFailure(
            QCoreApplication::translate("SmtpSocket",
                                        "サーバーが拡張SMTP(EHLO)に対応していないため、"
                                        "ログインできません"),
            {}, 0, code, refusal));
    }
    if (code / 100 != 2)
        return refuse(commandFailure(ehlo, 250, code, m_replyLines));
    // RFC 1869 4.3: after the greeting line, one extension a line; "AUTH="
    // is how older servers announce their mechanisms.
    for (qsizetype i = 1; i < m_replyLines.size(); ++i) {
        QByteArrayList words = m_replyLines.at(i).mid(4).toUpper().simplified().split(' ');
        const QByteArray keyword = words.takeFirst();
        if (keyword == "STARTTLS")
            extensions.startTls = true;
        if (keyword == "AUTH" || keyword.startsWith("AUTH=")) {
            words.append(keyword.mid(5));
            extensions.plain = extensions.plain || words.contains("PLAIN");
            extensions.login = extensions.login || words.contains("LOGIN");
        }
    }
    return true;
}

bool CSmtpSocket::logIn(const QByteArray &helloName, const QString &host)
{
    Extensions extensions;
    if (!extendedHello(helloName, extensions))
        return false;
    if (!m_tls->isEncrypted()) {
        // The credentials never travel in the clear.
        if (!extensions.startTls)
            return refuse((userName.isEmpty()
                               ? QCoreApplication::translate(
                                     "SmtpSocket", "サーバーがTLS(STARTTLS)に対応していないため、"
                                                   "送信できません")
                               : QCoreApplication::translate(
                                     "SmtpSocket", "サーバーがTLS(STARTTLS)に対応していないため、"
                                                   "ユーザー名とパスワードを送信できません")) +
                          u'\n' +
                          QCoreApplication::translate("SmtpSocket",
                                                      "共通設定の「接続の保護」がSTARTTLSです"));
        int code = 0;
        if (!exchange("STARTTLS\r\n", deadlines.tlsMs, sendFailed("STARTTLS"),
                      replyFailed("STARTTLS"), code))
            return false;
        if (code / 100 != 2)
            return refuse(replyFailure(
                QCoreApplication::translate("SmtpSocket", "TLS通信を開始できませんでした"),
                "STARTTLS", 220, code, m_replyLines));
        // RFC 3207 5: anything the server sent after its 220, before the
        // handshake, was not protected; a client must not act on it.
        if (m_reader.hasPending() || m_socket->bytesAvailable() > 0) {
            m_errorText =
                QCoreApplication::translate("SmtpSocket", "TLS通信を開始できませんでした");
            return false;
        }
        if (!startTls(host))
            return false;
        // RFC 3207 4.2: what the server offered before TLS counts no more.
        if (!extendedHello(helloName, extensions))
            return false;
    }
    // A protected connection without a login.
    if (userName.isEmpty())
        return true;
    // RFC 4954: PLAIN takes one round trip, LOGIN three.
    if (extensions.plain)
        return authenticate("PLAIN");
    if (extensions.login)
        return authenticate("LOGIN");
    return refuse(QCoreApplication::translate(
        "SmtpSocket", "サーバーが対応するログイン方式(AUTH PLAIN、AUTH LOGIN)が"
                      "ありません"));
}

bool CSmtpSocket::authenticate(const QByteArray &mechanism)
{
    say(QCoreApplication::translate("SmtpSocket", "認証中"));
    // The lines of the login carry the password: a failure text names the
    // mechanism only, and what the server answered.
    QByteArrayList lines;
    if (mechanism == "PLAIN")
        lines = {"AUTH PLAIN " + ('\0' + userName + '\0' + password).toBase64() + "\r\n"};
    else
        lines = {"AUTH LOGIN\r\n", userName.toBase64() + "\r\n", password.toBase64() + "\r\n"};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        int code = 0;
        if (!exchange(lines.at(i), deadlines.authMs, sendFailed("AUTH"), replyFailed("AUTH"), code))
            return false;
        // 334 asks for the next line of the login, 235 ends it (RFC 4954 4).
        if (code != (last ? 235 : 334))
            return refuse(
                replyFailure(QCoreApplication::translate("SmtpSocket", "ログインを拒否されました"),
                             "AUTH " + mechanism, last ? 235 : 334, code, m_replyLines));
    }
    return true;
}

bool CSmtpSocket::sendContent(const QString &mailFile)
{
    QFile file(mailFile);
    if (!SafeFile::openPlain(file, QIODevice::Unbuffered).isEmpty()) {
        // Ending here, before the final ".", makes the server drop the
        // transaction: the file stays queued rather than going out empty.
        m_errorText = cannotOpen(mailFile);
        return false;
    }
    SmtpContentEncoder encoder(file, kChunk);
    QByteArray out;
    out.reserve(kChunk + kChunk / 4);
    for (;;) {
        const bool more = encoder.encode(out, kChunk);
        if (!encoder.errorString().isEmpty()) {
            // A truncated mail must not be completed with the final ".", and
            // an RSET now would only be more content: the connection is
            // closed instead, which makes the server drop the transaction.
            m_errorText = dataFailed();
            return false;
        }
        if (!more)
            break;
        if (!writeAll(out, QDeadlineTimer(deadlines.contentWriteMs))) {
            m_errorText = dataFailed();
            return false;
        }
        out.clear();
    }
    // The last piece of content and the end of data go out in one write.
    static const QByteArray kEndOfData = ".\r\n";
    out += kEndOfData;
    if (!writeAll(out, QDeadlineTimer(deadlines.contentWriteMs))) {
        m_errorText = dataFailed();
        return false;
    }
    // Only a 2xx reply here means the server took the mail; anything else,
    // or no reply, leaves the file queued.
    int code = 0;
    if (!readReply(QDeadlineTimer(deadlines.endOfDataMs), code)) {
        m_errorText =
            QCoreApplication::translate("SmtpSocket", "応答受信(データ送信)に失敗しました");
        return false;
    }
    if (code / 100 != 2)
        return refuse(commandFailure(kEndOfData, 250, code, m_replyLines));
    return true;
}

bool CSmtpSocket::Deliver(const QByteArray &server, quint32 port, const QString &mailFile)
{
    m_errorText.clear();
    m_listTitle.clear();
    m_reader.reset();
    m_inStep = false;
    m_sessionKey.clear();
    const bool delivered = converse(server, port, mailFile);
    keepTlsSession();
    if (delivered)
        return true;
    // RFC 5321 4.1.1.10: a refused conversation still ends with QUIT. Its
    // own failures change nothing: the delivery has failed already.
    if (m_inStep) {
        int code = 0;
        const QString failure = m_errorText;
        exchange("QUIT\r\n", deadlines.quitMs, failure, failure, code);
        m_errorText = failure;
    }
    return false;
}

void CSmtpSocket::keepTlsSession()
{
    // A server sends its session after the handshake (TLS 1.3): it has arrived
    // with the first reply read over TLS. Only a verified connection has one
    // to keep: a refused certificate ends the handshake.
    if (!m_tls || !m_tls->isEncrypted() || !m_tls->sslHandshakeErrors().isEmpty() ||
        m_sessionKey.isEmpty())
        return;
    const QByteArray session = m_tls->sslConfiguration().sessionTicket();
    if (!session.isEmpty())
        TlsSessions::keep(m_sessionKey, session);
}

bool CSmtpSocket::converse(const QByteArray &server, quint32 port, const QString &mailFile)
{
    QByteArray to;
    QByteArray from;
    if (!scanHeader(mailFile, to, from))
        return false;

    const SmtpSecurity security =
        this->security.value_or(smtpSecurity(port, userName, implicitTlsPort));
    const QString host = QString::fromLocal8Bit(server);
    say(QCoreApplication::translate("SmtpSocket", "ホストに接続中"));
    if (!connectTo(server, port, security != SmtpSecurity::Plain)) {
        m_errorText = QCoreApplication::translate("SmtpSocket", "ホストへの接続に失敗しました");
        return false;
    }
    if (security == SmtpSecurity::ImplicitTls && !startTls(host))
        return false;
    int greeting = 0;
    if (!readReply(QDeadlineTimer(deadlines.greetingMs), greeting)) {
        m_errorText =
            QCoreApplication::translate("SmtpSocket", "ホストへの接続(応答受信)に失敗しました");
        return false;
    }
    // RFC 5321 3.1: a server that will not serve says so in its greeting.
    if (greeting / 100 != 2)
        return refuse(
            replyFailure(QCoreApplication::translate("SmtpSocket", "ホストへの接続に失敗しました"),
                         {}, 220, greeting, m_replyLines));
    say(QCoreApplication::translate("SmtpSocket", "ホストへの接続完了"));

    QByteArray helloName = QHostInfo::localHostName().toLocal8Bit();
    if (helloName.isEmpty())
        helloName = "localhost";
    // Plain SMTP never sends the login, whatever user name is stored; over
    // implicit TLS without a user HELO does.
    if (security == SmtpSecurity::Plain ||
        (security == SmtpSecurity::ImplicitTls && userName.isEmpty())) {
        if (!command("HELO " + helloName + "\r\n", deadlines.heloMs, sendFailed("HELO"),
                     replyFailed("HELO"), 250))
            return false;
    } else if (!logIn(helloName, host)) {
        return false;
    }
    // RFC 5321 3.3: no space on either side of the colon.
    if (!command("MAIL FROM:<" + from + ">\r\n", deadlines.mailMs, sendFailed("MAIL FROM"),
                 replyFailed("MAIL FROM"), 250) ||
        !command("RCPT TO:<" + to + ">\r\n", deadlines.rcptMs, sendFailed("RCPT TO"),
                 replyFailed("RCPT TO"), 250) ||
        !command("DATA\r\n", deadlines.dataMs, sendFailed("DATA"), replyFailed("DATA"), 354) ||
        !sendContent(mailFile))
        return false;

    // The server has taken the mail: QUIT is a courtesy, and a failure there
    // must not leave the file queued to be delivered a second time.
    command("QUIT\r\n", deadlines.quitMs, sendFailed("QUIT"), replyFailed("QUIT"), 0);
    m_errorText.clear();
    return true;
}
