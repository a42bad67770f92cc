#pragma once

#include "common/LineStream.h"
#include "common/UserMessage.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

#include <optional>

class QIODevice;

// Reading addresses out of a returned mail (a delivery-error report, a list
// server's approval request, a request to join) for the forced-unsubscribe and
// forced-subscribe commands. Everything works on the mail's bytes as they are:
// no code-set conversion, any byte allowed.

// Reduces one header-style text to the bare address in it, or empty text:
// comments "(...)" (nested ones included) and quoted texts are skipped, a "<"
// drops the display name collected so far, the first ">" after something
// collected ends the address, blanks (space, tab, a stray CR) are dropped and
// every other byte is kept. No test of the address's form.
QByteArray ParseMailAddress(QByteArrayView text);

// What one rule found in a mail file, in the order found; duplicates remain.
struct ExtractionResult
{
    QByteArrayList addresses;
    // Why the file could not be opened or read to the end; empty if it was.
    QString error;
};

// The forced-unsubscribe rule: the failed recipients of a returned mail as
// ReadReturnedMail (commands/ReturnedMail.h) finds them; among its layouts
// the approval request of the list server and the "The following addresses"
// heading list, whose lines reduce as ParseMailAddress says.
ExtractionResult ExtractErrorMailAddresses(const QString &path);
ExtractionResult ExtractErrorMailAddresses(QIODevice &device,
                                           qsizetype bufferSize = LineStream::DefaultBufferSize);

// The forced-subscribe rule: ParseMailAddress of the text after the first
// line starting with "From:" (letter case ignored), header or body. At most
// one address.
ExtractionResult ExtractSenderAddress(const QString &path);
ExtractionResult ExtractSenderAddress(QIODevice &device,
                                      qsizetype bufferSize = LineStream::DefaultBufferSize);

// "ｱﾄﾞﾚｽを抽出できませんでした", for a message box.
UserMessage NothingExtractedMessage();

// The text of the address field: the addresses joined by "," and nothing else.
QByteArray JoinAddresses(const QByteArrayList &addresses);

// Which rule a command tab uses (its row of the command table): tab 0
// (forced unsubscribe) the error-mail rule, tab 1 (forced subscribe) the
// sender rule, every other tab none.
enum class ExtractionRule
{
    None,
    ErrorMailAddresses,
    SenderAddress
};
ExtractionRule ExtractionRuleForTab(int tab);

// What the main window does after an extraction on a tab.
struct ExtractionOutcome
{
    QByteArray fieldText; // replaces the tab field's text, also when empty
    // "ｱﾄﾞﾚｽを抽出できませんでした" when nothing was found, for a message box.
    std::optional<UserMessage> message;
    // Why the file could not be opened or read to the end, for callers that
    // can say more than the message (the CLI); empty if it was read through.
    QString error;
};
// A read that fails part-way gives no text at all (and the message).
ExtractionOutcome ExtractAddresses(ExtractionRule rule, const QString &path);
ExtractionOutcome ExtractAddresses(ExtractionRule rule, QIODevice &device);
inline ExtractionOutcome ExtractAddresses(int tab, const QString &path)
{
    return ExtractAddresses(ExtractionRuleForTab(tab), path);
}
