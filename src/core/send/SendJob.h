#pragma once

#include "send/SendMessages.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

struct CommonSettings;

// The submission port that speaks TLS from the first byte (RFC 8314).
constexpr quint32 kImplicitTlsPort = 465;

// How a delivery protects itself (CommonSettings.SmtpSecurity).
enum class SmtpSecurity
{
    Plain,       // no TLS, no login ("none")
    StartTls,    // STARTTLS, then AUTH when a user is set (RFC 3207, RFC 4954) ("starttls")
    ImplicitTls, // TLS from the first byte (RFC 8314), AUTH when a user is set ("tls")
};

// The stored name of a choice, and back; nothing for any other text.
QByteArray smtpSecurityName(SmtpSecurity security);
std::optional<SmtpSecurity> parseSmtpSecurity(const QByteArray &name);
// What a store without the setting did: TLS from the first byte on port 465,
// STARTTLS with a user name, else plain SMTP.
SmtpSecurity smtpSecurity(quint32 port, const QByteArray &userName,
                          quint32 implicitTlsPort = kImplicitTlsPort);
// The stored choice, or the derived one where none (or no valid one) is stored.
SmtpSecurity smtpSecurity(const CommonSettings &settings);

// How long each step of an SMTP delivery may take, in milliseconds. Each is
// a deadline for the whole step (a server dripping a byte a second does not
// extend it), counted from the moment the step starts. Defaults follow
// RFC 5321 4.5.3.2.
struct SmtpDeadlines
{
    int connectMs = 60'000;   // host lookup and TCP connect
    int greetingMs = 300'000; // the server's first reply
    int heloMs = 300'000;
    int mailMs = 300'000;
    int rcptMs = 300'000;
    int dataMs = 120'000;         // the 354 reply to DATA
    int contentWriteMs = 180'000; // each write of the message content
    int endOfDataMs = 600'000;    // the reply to the final "."
    int quitMs = 300'000;
    int tlsMs = 120'000;  // the reply to STARTTLS, and the TLS handshake
    int authMs = 300'000; // each reply of the login

    // Every deadline set to `ms` (scripts and tests).
    static SmtpDeadlines uniform(int ms) { return {ms, ms, ms, ms, ms, ms, ms, ms, ms, ms, ms}; }
};

// Parameters and results of one SMTP delivery. The owner (the main window)
// keeps one and reuses it: it fills the parameters before SmtpWorker::start;
// the worker fills errorText and listTitle on the owner's thread, just before
// it calls onResult, and the owner reads them there. The handlers run on the
// thread that owns the SmtpWorker (the windows' thread).
struct SendJob
{
    // Receives the result: onResult(resultMessage, job, delivered) runs
    // while the worker waits for it to return. With no result window (or it
    // is gone, or no handler) no result is sent.
    QPointer<QObject> resultWindow;
    quint32 resultMessage = SendMsg::DeliveryResult;
    std::function<void(quint32 message, SendJob &job, bool delivered)> onResult;

    // Receives the progress lines: onStatus(statusMessage, line, 1) runs
    // while the worker waits for it to return. With no status window (or it
    // is gone, or no handler) no progress line is sent.
    QPointer<QObject> statusWindow;
    quint32 statusMessage = SendMsg::SetStatusLine2;
    std::function<void(quint32 message, const QString &line, int fromWorker)> onStatus;

    QByteArray server; // host name or dotted address (CommonSettings.Server)
    quint32 port = 25; // CommonSettings.PortNo
    QString mailFile;  // the queued file to deliver
    // CommonSettings.UserName and Password: a login over TLS when the user
    // name is not empty and the connection is protected.
    QByteArray userName;
    QByteArray password;
    // Unset: derived from the port and the user name, as smtpSecurity() does.
    std::optional<SmtpSecurity> security;
    // A test seam: tests cannot listen on kImplicitTlsPort.
    quint32 implicitTlsPort = kImplicitTlsPort;

    // Results of the last delivery.
    QString errorText;    // the failure text; empty after a delivery
    QByteArray listTitle; // the file's "X-Tavelin-ML: " value, empty when none

    SmtpDeadlines deadlines;
};
