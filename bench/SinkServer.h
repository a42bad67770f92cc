#pragma once

// A sink SMTP server for benchmarks, and the blocking socket helpers it is
// built on: plain POSIX sockets, so that it costs the client under test as
// little as possible.
#include <QtGlobal>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

inline bool sendAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Reads one line (up to LF) through `buffer`, refilling it with
// receive(chunk, size); false at end or error.
template <typename Receive>
bool readLineWith(std::string &buffer, std::string &line, Receive receive)
{
    for (;;) {
        const size_t end = buffer.find('\n');
        if (end != std::string::npos) {
            line.assign(buffer, 0, end + 1);
            buffer.erase(0, end + 1);
            return true;
        }
        char chunk[4096];
        const ssize_t n = receive(chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer.append(chunk, size_t(n));
    }
}

// Reads one line (up to LF) from fd through `buffer`; false at end or error.
inline bool readLine(int fd, std::string &buffer, std::string &line)
{
    return readLineWith(buffer, line,
                        [fd](char *chunk, size_t size) { return ::recv(fd, chunk, size, 0); });
}

// A server on 127.0.0.1 that takes connections one after another on its own
// thread and hands each, with no delay on its writes, to `talk`.
class Listener
{
public:
    bool start(std::function<void(int fd)> talk)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int on = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
            ::listen(m_fd, 128) != 0)
            return false;
        socklen_t len = sizeof addr;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this, talk = std::move(talk)] {
            while (!m_stop) {
                const int client = ::accept(m_fd, nullptr, nullptr);
                if (client < 0)
                    continue;
                const int noDelay = 1;
                ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
                talk(client);
                ::close(client);
            }
        });
        return true;
    }

    void stop()
    {
        m_stop = true;
        ::shutdown(m_fd, SHUT_RDWR);
        ::close(m_fd);
        if (m_thread.joinable())
            m_thread.join();
    }

    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// A sink SMTP server: accepts connections one after another and answers
// every command positively, reading and dropping the content.
class Sink
{
public:
    bool start()
    {
        return m_listener.start([this](int fd) { talk(fd); });
    }
    void stop() { m_listener.stop(); }
    quint16 port() const { return m_listener.port(); }
    int mails() const { return m_mails; }

private:
    void talk(int fd)
    {
        auto reply = [fd](const char *text) { return sendAll(fd, text, strlen(text)); };
        std::string buffer;
        std::string line;
        if (!reply("220 sink ready\r\n"))
            return;
        while (readLine(fd, buffer, line)) {
            if (line.rfind("DATA", 0) == 0) {
                reply("354 go ahead\r\n");
                while (readLine(fd, buffer, line) && line != ".\r\n") {
                }
                ++m_mails;
                reply("250 queued\r\n");
            } else if (line.rfind("QUIT", 0) == 0) {
                reply("221 bye\r\n");
                return;
            } else {
                reply("250 ok\r\n");
            }
        }
    }

    Listener m_listener;
    std::atomic<int> m_mails{0};
};

// A sink SMTP server with STARTTLS and any login, as a mail provider's
// submission port takes mail: plain sockets and OpenSSL with one context for
// all connections, the way mail servers use it. With `resumption`, it issues
// TLS 1.3 session tickets and takes them back (RFC 8446 2.2); without, every
// connection makes a full handshake.
class TlsSink
{
public:
    ~TlsSink() { SSL_CTX_free(m_context); }

    bool start(const char *certFile, const char *keyFile, bool resumption)
    {
        m_context = SSL_CTX_new(TLS_server_method());
        if (!m_context || SSL_CTX_use_certificate_chain_file(m_context, certFile) != 1 ||
            SSL_CTX_use_PrivateKey_file(m_context, keyFile, SSL_FILETYPE_PEM) != 1)
            return false;
        if (!resumption) {
            SSL_CTX_set_options(m_context, SSL_OP_NO_TICKET);
            SSL_CTX_set_session_cache_mode(m_context, SSL_SESS_CACHE_OFF);
            SSL_CTX_set_num_tickets(m_context, 0);
        }
        return m_listener.start([this](int fd) { serve(fd); });
    }

    void stop() { m_listener.stop(); }

    quint16 port() const { return m_listener.port(); }
    int resumed() const { return m_resumed; }

private:
    // One connection's lines, in the clear or over TLS.
    struct Connection
    {
        int fd = -1;
        SSL *ssl = nullptr;
        std::string buffer;

        bool send(const char *text) const
        {
            const size_t size = strlen(text);
            return ssl ? SSL_write(ssl, text, int(size)) == int(size) : sendAll(fd, text, size);
        }

        bool readLine(std::string &line)
        {
            if (!ssl)
                return ::readLine(fd, buffer, line);
            return readLineWith(buffer, line, [this](char *chunk, size_t size) {
                return ssize_t(SSL_read(ssl, chunk, int(size)));
            });
        }
    };

    void serve(int fd)
    {
        Connection connection;
        connection.fd = fd;
        talk(connection);
        if (connection.ssl) {
            SSL_shutdown(connection.ssl);
            SSL_free(connection.ssl);
        }
        ERR_clear_error();
    }

    void talk(Connection &c)
    {
        std::string line;
        if (!c.send("220 sink ready\r\n"))
            return;
        while (c.readLine(line)) {
            if (line.rfind("EHLO", 0) == 0) {
                c.send(c.ssl ? "250-sink\r\n250 AUTH PLAIN LOGIN\r\n"
                             : "250-sink\r\n250 STARTTLS\r\n");
            } else if (line.rfind("STARTTLS", 0) == 0 && !c.ssl) {
                c.send("220 go ahead\r\n");
                c.ssl = SSL_new(m_context);
                SSL_set_fd(c.ssl, c.fd);
                if (SSL_accept(c.ssl) != 1)
                    return;
                m_resumed += SSL_session_reused(c.ssl) ? 1 : 0;
            } else if (line.rfind("AUTH", 0) == 0) {
                c.send("235 ok\r\n");
            } else if (line.rfind("DATA", 0) == 0) {
                c.send("354 go ahead\r\n");
                while (c.readLine(line) && line != ".\r\n") {
                }
                c.send("250 queued\r\n");
            } else if (line.rfind("QUIT", 0) == 0) {
                c.send("221 bye\r\n");
                return;
            } else {
                c.send("250 ok\r\n");
            }
        }
    }

    SSL_CTX *m_context = nullptr;
    Listener m_listener;
    std::atomic<int> m_resumed{0};
};
