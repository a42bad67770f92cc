#include "ui/FieldBinding.h"

#include "ui/TemplateControls.h"

#include <QComboBox>
#include <QCoreApplication>

namespace {

// Translated when a field is made, once the translation is installed.
const char *const kIntegerRefusal = QT_TRANSLATE_NOOP("FieldBinding", "整数を入力してください。");
const char *const kUnsignedRefusal =
    QT_TRANSLATE_NOOP("FieldBinding", "正の整数を入力してください。");

// A text that only shows the stored bytes leaves them as they are: bytes the
// locale cannot show would not survive the way back.
QByteArray takenBytes(const QString &shown, const QByteArray &stored)
{
    return shown == QString::fromLocal8Bit(stored) ? stored : shown.toLocal8Bit();
}

QString shownText(const FieldBinding &field)
{
    if (const auto *bytes = std::get_if<QByteArray *>(&field.value))
        return QString::fromLocal8Bit(**bytes);
    if (const auto *text = std::get_if<QString *>(&field.value))
        return **text;
    return {};
}

qint64 number(const FieldBinding &field)
{
    return std::visit(
        [](auto *value) -> qint64 {
            if constexpr (std::is_integral_v<std::remove_pointer_t<decltype(value)>>)
                return qint64(*value);
            else
                return 0;
        },
        field.value);
}

// The value a control holds for its row, not yet stored.
using Taken = std::variant<QString, qint64>;

void store(const FieldBinding &field, const Taken &taken)
{
    std::visit(
        [&taken](auto *value) {
            using T = std::remove_pointer_t<decltype(value)>;
            if constexpr (std::is_same_v<T, QByteArray>)
                *value = takenBytes(std::get<QString>(taken), *value);
            else if constexpr (std::is_same_v<T, QString>)
                *value = std::get<QString>(taken);
            else if constexpr (std::is_unsigned_v<T>) {
                // A radio group showing none (-1) leaves an unsigned member as
                // stored: a value no button stands for must not come back as
                // 4294967295.
                if (const qint64 number = std::get<qint64>(taken); number >= 0)
                    *value = T(number);
            } else
                *value = T(std::get<qint64>(taken));
        },
        field.value);
}

std::optional<Taken> take(const TemplateControls &controls, const FieldBinding &field)
{
    switch (field.kind) {
    case FieldKind::Text:
        return controls.text(field.id);
    case FieldKind::Signed:
        if (auto n = parseFieldInteger(controls.text(field.id), INT32_MIN, INT32_MAX))
            return *n;
        return std::nullopt;
    case FieldKind::Unsigned:
        if (auto n = parseFieldInteger(controls.text(field.id), 0, UINT32_MAX))
            return *n;
        return std::nullopt;
    case FieldKind::Check:
        return qint64(controls.isChecked(field.id) ? 1 : 0);
    case FieldKind::Radio:
        return qint64(controls.checkedRadio(field.id));
    case FieldKind::Choice:
    case FieldKind::KeptChoice: {
        const auto *list = controls.item<QComboBox>(field.id);
        return list && list->currentIndex() >= 0 ? list->currentText() : QString();
    }
    }
    return std::nullopt;
}

void showChoice(QComboBox &list, const QString &text, bool keepUnknown)
{
    // An empty text selects nothing rather than the first entry, so that OK
    // does not write a choice the owner never made.
    int found = -1;
    for (int i = 0; !text.isEmpty() && found < 0 && i < list.count(); ++i) {
        if (list.itemText(i).startsWith(text, Qt::CaseInsensitive))
            found = i;
    }
    if (found < 0 && keepUnknown && !text.isEmpty()) {
        list.addItem(text);
        found = list.count() - 1;
    }
    list.setCurrentIndex(found);
}

} // namespace

FieldBinding textField(int id, QByteArray &value)
{
    return {FieldKind::Text, id, &value};
}

FieldBinding textField(int id, QString &value)
{
    return {FieldKind::Text, id, &value};
}

FieldBinding signedField(int id, qint32 &value)
{
    return {FieldKind::Signed, id, &value,
            QCoreApplication::translate("FieldBinding", kIntegerRefusal)};
}

FieldBinding unsignedField(int id, quint32 &value)
{
    return {FieldKind::Unsigned, id, &value,
            QCoreApplication::translate("FieldBinding", kUnsignedRefusal)};
}

FieldBinding checkField(int id, quint32 &value)
{
    return {FieldKind::Check, id, &value};
}

FieldBinding checkField(int id, bool &value)
{
    return {FieldKind::Check, id, &value};
}

FieldBinding radioField(int id, quint32 &value)
{
    return {FieldKind::Radio, id, &value};
}

FieldBinding radioField(int id, qint32 &value)
{
    return {FieldKind::Radio, id, &value};
}

FieldBinding choiceField(int id, QByteArray &value)
{
    return {FieldKind::Choice, id, &value};
}

FieldBinding keptChoiceField(int id, QByteArray &value)
{
    return {FieldKind::KeptChoice, id, &value};
}

std::optional<qint64> parseFieldInteger(const QString &text, qint64 lowest, qint64 highest)
{
    const QString head = text.left(31);
    qsizetype i = 0;
    const auto blank = [&head](qsizetype at) {
        return at < head.size() && (head[at] == u' ' || head[at] == u'\t');
    };
    while (blank(i))
        ++i;
    const qsizetype start = i;
    if (i < head.size() && (head[i] == u'-' || head[i] == u'+') && lowest < 0)
        ++i;
    const qsizetype digits = i;
    while (i < head.size() && head[i] >= u'0' && head[i] <= u'9')
        ++i;
    // 20 digits are more than any 64-bit number holds.
    if (i == digits || i - digits > 19)
        return std::nullopt;
    const qsizetype end = i;
    while (blank(i))
        ++i;
    if (i != head.size())
        return std::nullopt;
    bool ok = false;
    const qint64 value = head.mid(start, end - start).toLongLong(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

void showFields(TemplateControls &controls, const QList<FieldBinding> &fields)
{
    for (const FieldBinding &field : fields) {
        switch (field.kind) {
        case FieldKind::Text:
            controls.setText(field.id, shownText(field));
            break;
        case FieldKind::Signed:
        case FieldKind::Unsigned:
            controls.setText(field.id, QString::number(number(field)));
            break;
        case FieldKind::Check:
            controls.setChecked(field.id, number(field) != 0);
            break;
        case FieldKind::Radio:
            controls.checkRadio(field.id, int(number(field)));
            break;
        case FieldKind::Choice:
        case FieldKind::KeptChoice:
            if (auto *list = controls.item<QComboBox>(field.id))
                showChoice(*list, shownText(field), field.kind == FieldKind::KeptChoice);
            break;
        }
    }
}

std::optional<FieldError> takeFields(const TemplateControls &controls,
                                     const QList<FieldBinding> &fields)
{
    QList<Taken> taken;
    taken.reserve(fields.size());
    for (const FieldBinding &field : fields) {
        std::optional<Taken> value = take(controls, field);
        if (!value)
            return FieldError{field.id, field.refusal};
        taken.append(*value);
    }
    for (qsizetype i = 0; i < fields.size(); ++i)
        store(fields[i], taken[i]);
    return std::nullopt;
}
