#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

class TemplateControls;

// Why a page's values could not be taken: the control to focus and the
// message to show.
struct FieldError
{
    int id;
    QString message;

    friend bool operator==(const FieldError &, const FieldError &) = default;
};

// How a bound value is shown and read back.
enum class FieldKind
{
    Text,     // edit, multi-line edit: the text; untouched text keeps its stored bytes
    Signed,   // edit of a signed decimal integer
    Unsigned, // edit of an unsigned decimal integer
    Check,    // check box: 0 or 1
    Radio,    // radio group: the checked button's position, -1 for none
    Choice,   // drop-down list: shown by the first entry that begins with the text
    // As Choice, but a text that no entry begins with is offered as an entry
    // of its own, so that it survives unless another entry is picked.
    KeptChoice,
};

// One row of a page: the control (for a radio group any of its buttons) and
// the value it shows, a member of the record the page edits.
struct FieldBinding
{
    FieldKind kind;
    int id;
    std::variant<QByteArray *, QString *, qint32 *, quint32 *, bool *> value;
    // Shown when the text is no number of the kind.
    QString refusal = {};
};

FieldBinding textField(int id, QByteArray &value);
FieldBinding textField(int id, QString &value);
FieldBinding signedField(int id, qint32 &value);
FieldBinding unsignedField(int id, quint32 &value);
FieldBinding checkField(int id, quint32 &value);
FieldBinding checkField(int id, bool &value);
FieldBinding radioField(int id, quint32 &value);
FieldBinding radioField(int id, qint32 &value);
FieldBinding choiceField(int id, QByteArray &value);
FieldBinding keptChoiceField(int id, QByteArray &value);

// A decimal number as an integer field reads it: blanks or tabs around it,
// at most the first 31 characters looked at, a sign only where negative
// numbers are allowed, nothing else; a number outside the range is none.
std::optional<qint64> parseFieldInteger(const QString &text, qint64 lowest, qint64 highest);

// Members into controls, in table order.
void showFields(TemplateControls &controls, const QList<FieldBinding> &fields);
// Controls into members, in table order. Either every value is taken, or
// none is and the first refusal is returned.
std::optional<FieldError> takeFields(const TemplateControls &controls,
                                     const QList<FieldBinding> &fields);
