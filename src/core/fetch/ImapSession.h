#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QString>

#include <atomic>

// How the connection to the owner's mailbox is protected. There is no plain
// choice: the login never travels in the clear.
enum class ImapSecurity : quint32
{
    ImplicitTls = 0, // TLS from the first byte (RFC 8314), port 993
    StartTls = 1,    // STARTTLS before the login (RFC 3501 6.2.1), port 143
};
constexpr quint32 kImapsPort = 993;
constexpr quint32 kImapPort = 143;

// How long each wait of an IMAP session may take, in milliseconds.
struct ImapDeadlines
{
    int connectMs = 60'000;    // host lookup, TCP connect, TLS and login together
    int idleMs = 120'000;      // a response with no byte arriving for this long
    int commandMs = 1'800'000; // one command and its whole response

    static ImapDeadlines uniform(int ms) { return {ms, ms, ms}; }
};

// Receives the responses of one command. Literals (RFC 3501 4.3) are handed
// over in pieces as they arrive, so a mail of any size costs a buffer only.
class ImapResponseSink
{
public:
    virtual ~ImapResponseSink() = default;
    // A literal of `size` bytes starts inside the current response.
    virtual void literalBegin(qint64 size) { Q_UNUSED(size); }
    virtual void literalData(QByteArrayView bytes) { Q_UNUSED(bytes); }
    // One untagged response ("* ..."), each literal in it shown as "{}".
    virtual void response(QByteArrayView text) { Q_UNUSED(text); }
};

// One session with an IMAP server: libcurl connects, speaks TLS (checking
// the certificate as TlsTrust.h says) and logs in; the session then runs the
// commands on that connection itself, because libcurl's own FETCH marks the
// mail read and its custom commands drop literals. Blocks the calling
// thread; every wait has a deadline and looks at the cancel flag at least
// every 50 ms.
class ImapSession
{
public:
    ImapSession();
    ~ImapSession();
    ImapSession(const ImapSession &) = delete;
    ImapSession &operator=(const ImapSession &) = delete;

    ImapDeadlines deadlines;
    // Set from any thread to end the session's current wait.
    const std::atomic<bool> *cancelFlag = nullptr;

    // Connects and logs in; false, with errorText(), when that failed.
    bool open(const QByteArray &host, quint32 port, ImapSecurity security, const QByteArray &user,
              const QByteArray &password);

    enum class Status
    {
        Ok,
        No,     // the server refused the command (errorText() has its text)
        Bad,    // the server did not understand it
        Failed, // the connection failed, or a deadline or a cancel ended the wait
    };
    // Sends "<tag> <command>" and reads up to its tagged response, handing
    // every untagged response to `sink`.
    Status command(const QByteArray &text, ImapResponseSink &sink);
    Status command(const QByteArray &text);

    // Says LOGOUT (briefly) and closes; safe to call at any time.
    void close();

    bool isOpen() const { return m_easy != nullptr; }
    const QString &errorText() const { return m_errorText; }

    // A mailbox name as a command's argument: in modified UTF-7 (RFC 3501
    // 5.1.3), quoted with \ and " escaped (4.3); empty for an empty name or
    // one with a control character, which no quoted string can carry.
    static QByteArray mailboxArgument(const QString &name);

private:
    bool send(const QByteArray &bytes, const QDeadlineTimer &deadline);
    // Reads what has arrived into m_buffer; false once the connection, the
    // deadline or a cancel ended the wait.
    bool receive(const QDeadlineTimer &deadline);
    bool waitSocket(bool forWrite, const QDeadlineTimer &deadline);
    bool cancelled() const;
    void drop();

    void *m_multi = nullptr;
    void *m_easy = nullptr;
    QByteArray m_buffer;
    quint32 m_tag = 0;
    QString m_errorText;
};
