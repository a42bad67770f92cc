#include "send/SmtpSocket.h"

#include "send/SmtpContentEncoder.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

// How much of the mail file is read, and sent, at a time: the content goes
// out in few large writes, not one small write per line.
constexpr qint64 kChunk = 64 * 1024;
// A header line longer than this cannot carry an envelope address.
constexpr qint64 kMaxHeaderLine = 64 * 1024;

QString commandFailure(const QByteArray &sent, int required, int received)
{
    return QStringLiteral("コマンド実行に失敗しました\nコマンド:%1\n要求コード :%2\n応答コード :%3")
        .arg(QString::fromLocal8Bit(sent), QStringLiteral("%1").arg(required, 4),
             QStringLiteral("%1").arg(received, 4));
}

QString cannotOpen(const QString &path)
{
    return QStringLiteral("ファイル(%1)を開けません").arg(path);
}

QString sendFailed(const char *command)
{
    return QStringLiteral("コマンド送信(%1)に失敗しました").arg(QLatin1String(command));
}

QString replyFailed(const char *command)
{
    return QStringLiteral("応答受信(%1)に失敗しました").arg(QLatin1String(command));
}

const QString kDataFailed = QStringLiteral("データ送信に失敗しました");

// An envelope address goes into a command line: it must not be able to end
// that line early or smuggle in a second command.
bool usableAddress(const QByteArray &address)
{
    return !address.isEmpty() && !address.contains('\r') &&
           !address.contains('\n') && !address.contains('\0');
}

} // namespace

CSmtpSocket::CSmtpSocket()
    : m_socket(new QTcpSocket), m_loop(new QEventLoop), m_timer(new QTimer), m_waker(new QObject)
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    // Qt stops reading from the kernel when this much is buffered, so a
    // server sending without end cannot grow memory beyond the reply cap.
    m_socket->setReadBufferSize(kChunk);
}

CSmtpSocket::~CSmtpSocket()
{
    m_socket->abort();
    delete m_socket;
    delete m_timer;
    delete m_waker;
    delete m_loop;
}

void CSmtpSocket::wake()
{
    QCoreApplication::postEvent(m_waker, new QEvent(QEvent::User));
}

bool CSmtpSocket::cancelled() const
{
    return cancelFlag && cancelFlag->load();
}

void CSmtpSocket::say(const QString &line)
{
    if (report)
        report(line);
}

bool CSmtpSocket::waitFor(const std::function<bool()> &done, const QDeadlineTimer &deadline)
{
    for (;;) {
        if (done()) {
            m_timer->stop();
            return true;
        }
        if (cancelled() || deadline.hasExpired()) {
            m_timer->stop();
            return false;
        }
        // The timer only wakes the loop at the deadline; the deadline itself
        // is what counts, whatever the server sends meanwhile.
        if (!m_timer->isActive())
            m_timer->start(int(std::clamp<qint64>(deadline.remainingTime(), 0, INT_MAX)));
        m_loop->processEvents(QEventLoop::WaitForMoreEvents);
    }
}

bool CSmtpSocket::scanHeader(const QString &mailFile, QByteArray &to, QByteArray &from)
{
    QFile file(mailFile);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errorText = cannotOpen(mailFile);
        return false;
    }
    static const QByteArray kTo = "To: ";
    static const QByteArray kFrom = "From: ";
    static const QByteArray kList = "X-Tavelin-ML: ";
    while (!file.atEnd()) {
        QByteArray line = file.readLine(kMaxHeaderLine + 2);
        if (line.isEmpty())
            break; // a read error
        if (!line.endsWith('\n') && !file.atEnd()) {
            // Too long to carry an address: skip it as an ordinary line.
            while (!file.atEnd()) {
                const QByteArray rest = file.readLine(kChunk);
                if (rest.isEmpty() || rest.endsWith('\n'))
                    break;
            }
            continue;
        }
        if (line.endsWith('\n'))
            line.chop(1);
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            break;
        if (line.startsWith(kTo))
            to = line.mid(kTo.size());
        else if (line.startsWith(kFrom))
            from = line.mid(kFrom.size());
        else if (line.startsWith(kList))
            m_listTitle = line.mid(kList.size());
        if (!to.isEmpty() && !from.isEmpty() && !m_listTitle.isEmpty())
            break;
    }
    if (!usableAddress(to) || !usableAddress(from)) {
        m_errorText = QStringLiteral("宛先か自分のアドレスを取得できませんでした");
        return false;
    }
    return true;
}

bool CSmtpSocket::connectTo(const QByteArray &server, quint32 port)
{
    if (port == 0 || port > 65535)
        return false;
    m_socket->connectToHost(QString::fromLocal8Bit(server), quint16(port));
    const bool settled = waitFor(
        [this] {
            const auto state = m_socket->state();
            return state == QAbstractSocket::ConnectedState ||
                   state == QAbstractSocket::UnconnectedState;
        },
        QDeadlineTimer(deadlines.connectMs));
    if (!settled || m_socket->state() != QAbstractSocket::ConnectedState) {
        m_socket->abort();
        return false;
    }
    // Each write is a whole command or a large piece of content: send it
    // now rather than wait for the previous segment's acknowledgement.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

bool CSmtpSocket::readReply(int deadlineMs, int &code)
{
    const bool settled = waitFor(
        [this] {
            for (;;) {
                if (m_reader.state() != SmtpReplyReader::State::Incomplete)
                    return true;
                if (m_socket->bytesAvailable() <= 0)
                    break;
                m_reader.feed(m_socket->read(kChunk));
            }
            return m_socket->state() != QAbstractSocket::ConnectedState;
        },
        QDeadlineTimer(deadlineMs));
    if (!settled || m_reader.state() != SmtpReplyReader::State::Complete)
        return false;
    code = m_reader.code();
    m_reader.next();
    return true;
}

bool CSmtpSocket::writeAll(const QByteArray &bytes, const QDeadlineTimer &deadline)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState ||
        m_socket->write(bytes) != bytes.size())
        return false;
    m_socket->flush();
    return waitFor(
               [this] {
                   return m_socket->bytesToWrite() == 0 ||
                          m_socket->state() != QAbstractSocket::ConnectedState;
               },
               deadline) &&
           m_socket->bytesToWrite() == 0 && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool CSmtpSocket::command(const QByteArray &text, int deadlineMs, const QString &sendFailure,
                          const QString &replyFailure, int required)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState ||
        m_socket->write(text) != text.size()) {
        m_errorText = sendFailure;
        return false;
    }
    m_socket->flush();
    int code = 0;
    if (!readReply(deadlineMs, code)) {
        m_errorText = replyFailure;
        return false;
    }
    // RFC 5321 4.2: a client acts on the first digit (251 to RCPT TO is a
    // success just as 250 is).
    if (required != 0 && code / 100 != required / 100) {
        m_errorText = commandFailure(text, required, code);
        return false;
    }
    return true;
}

bool CSmtpSocket::sendContent(const QString &mailFile)
{
    QFile file(mailFile);
    if (!file.open(QIODevice::ReadOnly)) {
        // Ending here, before the final ".", makes the server drop the
        // transaction: the file stays queued rather than going out empty.
        m_errorText = cannotOpen(mailFile);
        return false;
    }
    SmtpContentEncoder encoder;
    QByteArray out;
    out.reserve(kChunk + kChunk / 4);
    for (;;) {
        const QByteArray piece = file.read(kChunk);
        if (piece.isEmpty()) {
            if (file.error() != QFileDevice::NoError) {
                // A truncated mail must not be completed with the final ".".
                m_errorText = kDataFailed;
                return false;
            }
            break;
        }
        encoder.encode(piece, out);
        if (out.size() >= kChunk) {
            if (!writeAll(out, QDeadlineTimer(deadlines.contentWriteMs))) {
                m_errorText = kDataFailed;
                return false;
            }
            out.clear();
        }
    }
    encoder.finish(out);
    // The last piece of content and the end of data go out in one write.
    static const QByteArray kEndOfData = ".\r\n";
    out += kEndOfData;
    if (!writeAll(out, QDeadlineTimer(deadlines.contentWriteMs))) {
        m_errorText = kDataFailed;
        return false;
    }
    // Only a 2xx reply here means the server took the mail; anything else,
    // or no reply, leaves the file queued.
    int code = 0;
    if (!readReply(deadlines.endOfDataMs, code)) {
        m_errorText = QStringLiteral("応答受信(データ送信)に失敗しました");
        return false;
    }
    if (code / 100 != 2) {
        m_errorText = commandFailure(kEndOfData, 250, code);
        return false;
    }
    return true;
}

bool CSmtpSocket::Deliver(const QByteArray &server, quint32 port, const QString &mailFile)
{
    m_errorText.clear();
    m_listTitle.clear();
    m_reader.reset();

    QByteArray to;
    QByteArray from;
    if (!scanHeader(mailFile, to, from))
        return false;

    say(QStringLiteral("ホストに接続中"));
    if (!connectTo(server, port)) {
        m_errorText = QStringLiteral("ホストへの接続に失敗しました");
        return false;
    }
    // Any greeting, even a refusal, is followed by HELO.
    int greeting = 0;
    if (!readReply(deadlines.greetingMs, greeting)) {
        m_errorText = QStringLiteral("ホストへの接続(応答受信)に失敗しました");
        return false;
    }
    say(QStringLiteral("ホストへの接続完了"));

    QByteArray host = QHostInfo::localHostName().toLocal8Bit();
    if (host.isEmpty())
        host = "localhost";
    // RFC 5321 3.3: no space on either side of the colon.
    if (!command("HELO " + host + "\r\n", deadlines.heloMs, sendFailed("HELO"),
                 replyFailed("HELO"), 250) ||
        !command("MAIL FROM:<" + from + ">\r\n", deadlines.mailMs, sendFailed("MAIL FROM"),
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
