#include "send/SmtpSocket.h"

#include "send/SmtpContentEncoder.h"

#include <QEventLoop>
#include <QFile>
#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

// How much of the mail file is read, and sent, at a time: the content goes
// out in few large writes, not one small write per line.
constexpr qint64 kChunk = 64 * 1024;
// A header line longer than this cannot carry an envelope address.
constexpr qint64 kMaxHeaderLine = 64 * 1024;
// The longest a wait goes on without looking at the cancel flag.
constexpr qint64 kWaitSliceMs = 50;

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
    return !address.isEmpty() && !address.contains('\r') && !address.contains('\n') &&
           !address.contains('\0');
}

// Reads a file's lines in large pieces, each line without its LF and the
// CRs before it. A line longer than kMaxHeaderLine comes back as overlong,
// without its text, so memory stays bounded.
class LineReader
{
public:
    explicit LineReader(QFile &file) : m_file(file) {}

    // False at the end of the file (or at a read error).
    bool next(QByteArrayView &line, bool &overlong)
    {
        overlong = false;
        for (;;) {
            qsizetype end = m_buffer.indexOf('\n', m_pos);
            if (end < 0 && !m_eof) {
                m_buffer.remove(0, m_pos);
                m_pos = 0;
                if (m_buffer.size() > kMaxHeaderLine) {
                    m_buffer.clear();
                    overlong = true;
                }
                const QByteArray piece = m_file.read(kChunk);
                // A file read stops short only at the end or at an error.
                m_eof = piece.size() < kChunk;
                m_buffer += piece;
                continue;
            }
            if (end < 0) {
                if (m_pos >= m_buffer.size() && !overlong)
                    return false;
                end = std::max(m_pos, m_buffer.size());
            }
            line = QByteArrayView(m_buffer).sliced(m_pos, end - m_pos);
            m_pos = end + 1;
            if (line.size() > kMaxHeaderLine) {
                overlong = true;
                line = {};
            }
            while (line.endsWith('\r'))
                line.chop(1);
            return true;
        }
    }

private:
    QFile &m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_eof = false;
};

} // namespace

CSmtpSocket::CSmtpSocket() : m_socket(new QTcpSocket), m_readBuffer(kChunk, Qt::Uninitialized) {}

CSmtpSocket::~CSmtpSocket()
{
    m_socket->abort();
    delete m_socket;
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
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        m_errorText = cannotOpen(mailFile);
        return false;
    }
    static const QByteArray kTo = "To: ";
    static const QByteArray kFrom = "From: ";
    static const QByteArray kList = "X-Tavelin-ML: ";
    LineReader lines(file);
    QByteArrayView line;
    bool overlong = false;
    while (lines.next(line, overlong)) {
        if (overlong)
            continue; // too long to carry an address
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
        m_errorText = QStringLiteral("宛先か自分のアドレスを取得できませんでした");
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

bool CSmtpSocket::connectTo(const QByteArray &server, quint32 port)
{
    if (port == 0 || port > 65535)
        return false;
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
        m_socket->connectToHost(address, quint16(port),
                                QIODevice::ReadWrite | QIODevice::Unbuffered);
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
            m_reader.next();
            return true;
        }
        int sliceMs = 0;
        if (state == SmtpReplyReader::State::TooLong || !timeLeft(deadline, sliceMs))
            return false;
        // Wait for bytes (at once when some are there), then read them; a
        // read also notices a closed connection.
        if (!m_socket->waitForReadyRead(sliceMs) &&
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

bool CSmtpSocket::command(const QByteArray &text, int deadlineMs, const QString &sendFailure,
                          const QString &replyFailure, int required)
{
    // A cancel or a deadline ends a step with its reply-failure text.
    const QDeadlineTimer deadline(deadlineMs);
    if (!writeAll(text, deadline)) {
        // A failed write leaves the socket's state as it was: what tells a
        // broken connection from a cancel or a deadline is the clock.
        m_errorText = cancelled() || deadline.hasExpired() ? replyFailure : sendFailure;
        return false;
    }
    int code = 0;
    if (!readReply(deadline, code)) {
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
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
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
        if (file.error() != QFileDevice::NoError) {
            // A truncated mail must not be completed with the final ".", and
            // an RSET now would only be more content: the connection is
            // closed instead, which makes the server drop the transaction.
            m_errorText = kDataFailed;
            return false;
        }
        encoder.encode(piece, out);
        // A file read stops short only at the end.
        if (piece.size() < kChunk)
            break;
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
    if (!readReply(QDeadlineTimer(deadlines.endOfDataMs), code)) {
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
    if (!readReply(QDeadlineTimer(deadlines.greetingMs), greeting)) {
        m_errorText = QStringLiteral("ホストへの接続(応答受信)に失敗しました");
        return false;
    }
    say(QStringLiteral("ホストへの接続完了"));

    QByteArray host = QHostInfo::localHostName().toLocal8Bit();
    if (host.isEmpty())
        host = "localhost";
    // RFC 5321 3.3: no space on either side of the colon.
    if (!command("HELO " + host + "\r\n", deadlines.heloMs, sendFailed("HELO"), replyFailed("HELO"),
                 250) ||
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
