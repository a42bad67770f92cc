#pragma once

#include "commands/AddressSet.h"
#include "common/LineStream.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

class QIODevice;

// Reads a returned mail (a delivery report of any common server, or the list
// server's approval request) for the recipients whose delivery failed for
// good. The mail is parsed as MIME: the delivery-status part of a standard
// report (RFC 3464) decides where there is one; otherwise the report's own
// text is read by a table of layouts. Warnings (delays), auto-replies and
// the original message quoted in a report give no address.

struct ReturnedMailReading
{
    // In the order found, each address once (letter case ignored).
    QList<FailedRecipient> recipients;
    // Why the mail could not be opened or read to the end; empty if it was.
    QString error;
    // The report's own arrival date, else the mail's Date:; null if neither.
    QDate date = {};
};

// Reads the file in a stream: a report of any size costs what the MIME parser
// keeps of its headers and structure, plus a line buffer.
ReturnedMailReading ReadReturnedMail(const QString &path);
// Reads the device from its current position; bufferSize bounds the piece of
// a text line that is read at once.
ReturnedMailReading ReadReturnedMail(QIODevice &device,
                                     qsizetype bufferSize = LineStream::DefaultBufferSize);
