#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QtGlobal>

// The numeric messages of a sending run, all in one place. Command ids travel
// with no data; the others carry two parameters. "Posted" ones are queued to
// the receiver (postMessage below); "sent" ones are blocking queued calls
// that the sender waits on (the SMTP worker's calls, see SmtpWorker.h).
//
// | id     | to            | posted/sent by                               | parameters                          | handler                          |
// |--------|---------------|----------------------------------------------|-------------------------------------|----------------------------------|
// | 1183   | main window   | send-all button (no dial-up); 0x8004 handler | none                                | start the run (posted)           |
// | 1184   | main window   | run start; result handler after success;     | none                                | send the next file (posted)      |
// |        |               | companion hand-off                           |                                     |                                  |
// | 1185   | main window   | status window's cancel; failed hand-off      | none                                | request cancellation (posted)    |
// | 1186   | main window   | next-file handler; result handler on failure | none                                | end the run (posted)             |
// | 0x8004 | main window   | dial session's view (status window, CLI)     | 1 connection ready / 0 failed; 0    | dial result (posted)             |
// | 0x8006 | dial session  | remote-access notification                   | connection state; error code        | dial progress (posted)           |
// | 0x8008 | status window | next-file handler; result handler            | the text; 0                         | set the first status line (sent) |
// | 0x8009 | status window | SMTP worker; end of the run                  | the text; 1 from the worker, 0 else | set the second status line (sent)|
// | 0x800A | main window   | SMTP worker at the end of a delivery         | the SendJob; 1 delivered / 0 failed | delivery result (sent)           |
// | 32771  | status window | send-all button when dial-up is needed       | none                                | dial (posted)                    |
// | 32773  | status window | end of the run                               | none                                | hang up (sent)                   |
//
// 0x8005 and 0x8007 are not used.
namespace SendMsg {

constexpr quint32 RunStart = 1183;
constexpr quint32 RunNext = 1184;
constexpr quint32 RunCancel = 1185;
constexpr quint32 RunEnd = 1186;
constexpr quint32 DialResult = 0x8004;
constexpr quint32 DialProgress = 0x8006;
constexpr quint32 SetStatusLine1 = 0x8008;
constexpr quint32 SetStatusLine2 = 0x8009;
constexpr quint32 DeliveryResult = 0x800A;
constexpr quint32 Dial = 32771;
constexpr quint32 HangUp = 32773;

} // namespace SendMsg

// A posted message as a Qt event: the receiver's event() picks it up by
// PostedMessageEvent::eventType() and reads the id and the two parameters.
class PostedMessageEvent : public QEvent
{
public:
    PostedMessageEvent(quint32 message, qintptr first, qintptr second)
        : QEvent(eventType()), message(message), first(first), second(second)
    {
    }

    static QEvent::Type eventType()
    {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

    const quint32 message;
    const qintptr first;
    const qintptr second;
};

// Queues `message` to `receiver`; returns at once.
inline void postMessage(QObject *receiver, quint32 message, qintptr first = 0, qintptr second = 0)
{
    QCoreApplication::postEvent(receiver, new PostedMessageEvent(message, first, second));
}
