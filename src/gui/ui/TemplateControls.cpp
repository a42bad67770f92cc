#include "ui/TemplateControls.h"

#include "resources/ResourceIds.h"
#include "resources/TemplateTexts.h"
#include "ui/UpDownControl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTreeWidget>

#include <algorithm>
#include <limits>

QIcon resourceIcon(int id)
{
    return QIcon(QStringLiteral(":/icons/icon%1.png").arg(id));
}

const DialogTemplate &knownTemplate(int id)
{
    const DialogTemplate *t = findDialogTemplate(id);
    Q_ASSERT_X(t, "knownTemplate", "unknown template id");
    return *t;
}

namespace {

bool hasDefaultButton(const DialogTemplate &t)
{
    return std::any_of(t.controls.begin(), t.controls.end(), [](const ControlTemplate &row) {
        return row.style.testFlag(ControlStyle::DefaultButton);
    });
}

void setReadOnlyLook(QWidget *field)
{
    // A field that cannot be typed into looks like the dialog behind it.
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
}

QWidget *makeControl(const DialogTemplate &t, const ControlTemplate &row, bool dialogHasDefault,
                     QWidget *parent)
{
    // An icon's text names its resource; every other text is read by a person.
    const QString text =
        row.kind == ControlKind::Icon ? QString::fromUtf8(row.text) : templateText(t, row.text);
    const bool right = row.style.testFlag(ControlStyle::RightAlign);
    switch (row.kind) {
    case ControlKind::Button: {
        auto *button = new QPushButton(text, parent);
        // Enter presses the focused button, else the template's default one.
        // A dialog without a default button gets none: Qt would otherwise
        // promote the next button in the focus chain and Enter in a field
        // would press it.
        button->setAutoDefault(dialogHasDefault);
        button->setDefault(row.style.testFlag(ControlStyle::DefaultButton));
        return button;
    }
    case ControlKind::Static: {
        auto *label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        const Qt::Alignment across = row.style.testFlag(ControlStyle::Center) ? Qt::AlignHCenter
                                     : right                                  ? Qt::AlignRight
                                                                              : Qt::AlignLeft;
        label->setAlignment(across | Qt::AlignTop);
        return label;
    }
    case ControlKind::Icon: {
        auto *label = new QLabel(parent);
        label->setPixmap(resourceIcon(text.toInt()).pixmap(32, 32));
        return label;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::Edit: {
        auto *edit = new QLineEdit(text, parent);
        if (row.style.testFlag(ControlStyle::ReadOnly)) {
            edit->setReadOnly(true);
            setReadOnlyLook(edit);
        }
        edit->setFrame(!row.style.testFlag(ControlStyle::NoBorder));
        if (row.style.testFlag(ControlStyle::Password))
            edit->setEchoMode(QLineEdit::Password);
        if (right)
            edit->setAlignment(Qt::AlignRight);
        // Dropped files belong to the window, not to the text of a field.
        edit->setAcceptDrops(false);
        // A field holds all of the value it is given: Qt would cut it at
        // 32767 characters, and OK would write the rest away.
        edit->setMaxLength(std::numeric_limits<int>::max());
        return edit;
    }
    case ControlKind::MultiLineEdit: {
        auto *edit = new QPlainTextEdit(text, parent);
        // Lines stay lines: no wrapping, a vertical scroll bar, Enter starts
        // a new line and Tab leaves the field. A long line scrolls the text
        // sideways as the caret moves; a horizontal bar would take the room
        // of the lines in so low a field.
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setTabChangesFocus(true);
        if (row.style.testFlag(ControlStyle::ReadOnly)) {
            edit->setReadOnly(true);
            setReadOnlyLook(edit);
        }
        edit->setAcceptDrops(false);
        return edit;
    }
    case ControlKind::DropDownList:
        // Sorted lists keep their order themselves (the owner inserts at the
        // sorted position): a model sort would not keep equal titles in order.
        return new QComboBox(parent);
    case ControlKind::ListBox: {
        auto *list = new QListWidget(parent);
        list->setSortingEnabled(row.style.testFlag(ControlStyle::Sorted));
        return list;
    }
    case ControlKind::ListView: {
        auto *view = new QTreeWidget(parent);
        // A report: rows of one level, the whole row selected and in focus.
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setUniformRowHeights(true);
        view->setAllColumnsShowFocus(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        return view;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::RadioButton: {
        // The group-start run's QButtonGroup makes the buttons exclusive.
        auto *radio = new QRadioButton(text, parent);
        radio->setAutoExclusive(false);
        return radio;
    }
    case ControlKind::UpDown:
        return new UpDownControl(parent);
    case ControlKind::TabControl: {
        auto *tabs = new QTabWidget(parent);
        // Tabs that do not fit scroll: the control keeps its place. A click
        // on a tab takes the focus, so the arrow keys move on from there.
        tabs->setUsesScrollButtons(true);
        tabs->tabBar()->setFocusPolicy(Qt::StrongFocus);
        return tabs;
    }
    }
    return new QWidget(parent);
}

} // namespace

void TemplateControls::buildControls(QWidget *host, const DialogTemplate &t)
{
    m_template = t;
    host->setWindowTitle(templateText(t, t.caption));
    host->setFont(dialogFont(QString::fromUtf8(t.fontFamily), t.pointSize));
    m_base = dialogBaseUnits(host->font());
    host->setFixedSize(dialogUnitsToPixels(t.size, m_base));

    const bool withDefault = hasDefaultButton(t);
    QList<QWidget *> containers;
    QButtonGroup *group = nullptr; // the radio group of the current group-start run
    bool groupStarted = false;
    QWidget *previous = nullptr;
    QLabel *pendingLabel = nullptr; // a label waiting for the control it names
    QHash<const QWidget *, const QLabel *> labels;
    const QFont fields = fieldFont(host->font());
    for (const ControlTemplate &row : t.controls) {
        QWidget *widget = makeControl(t, row, withDefault, host);
        if (isInputKind(row.kind) && row.kind != ControlKind::UpDown && fields != host->font())
            widget->setFont(fields);
        QRect rect = dialogUnitsToPixels(row.rect, m_base);
        // A drop-down list's height includes its open list; closed, it is as
        // high as its font needs.
        if (row.kind == ControlKind::DropDownList)
            rect.setHeight(widget->sizeHint().height());
        if (auto *upDown = qobject_cast<UpDownControl *>(widget)) {
            // An up-down steps the field before it; attached, it takes the
            // right end of that field's place.
            if (auto *buddy = qobject_cast<QLineEdit *>(previous)) {
                upDown->setBuddy(buddy);
                if (row.style.testFlag(ControlStyle::AttachToBuddy)) {
                    QRect field = buddy->geometry();
                    field.setWidth(std::max(0, field.width() - rect.width()));
                    buddy->setGeometry(field);
                    rect = QRect(field.right() + 1, field.top(), rect.width(), field.height());
                }
                // Named like the field it steps: a reader of the screen meets
                // them together.
                if (const QLabel *label = labels.value(buddy))
                    upDown->setAccessibleName(label->text());
            }
        }
        widget->setGeometry(rect);
        widget->setEnabled(!row.style.testFlag(ControlStyle::Disabled));
        if (row.style.testFlag(ControlStyle::Hidden))
            widget->hide();
        if (row.style.testFlag(ControlStyle::NoTabStop))
            widget->setFocusPolicy(Qt::ClickFocus);
        if (row.kind == ControlKind::GroupBox || row.kind == ControlKind::TabControl)
            containers.append(widget);

        // A label names the input control that follows it in the template.
        if (pendingLabel && isInputKind(row.kind)) {
            pendingLabel->setBuddy(widget);
            labels.insert(widget, pendingLabel);
        }
        pendingLabel = row.kind == ControlKind::Static ? static_cast<QLabel *>(widget) : nullptr;
        if (row.name)
            widget->setAccessibleName(templateText(t, row.name));

        // Radio buttons from one group start up to the next are one group,
        // whatever other controls stand between them.
        if (row.style.testFlag(ControlStyle::GroupStart))
            groupStarted = true;
        if (auto *radio = qobject_cast<QRadioButton *>(widget)) {
            if (groupStarted || !group) {
                group = new QButtonGroup(host);
                m_groups.append(group);
                groupStarted = false;
            }
            group->addButton(radio, int(group->buttons().size()));
        }

        if (row.id != IDC_STATIC) {
            widget->setObjectName(QString::number(row.id));
            m_controls.insert(row.id, widget);
        }
        previous = widget;
    }
    // Frames lie under the controls drawn inside them, so those take the clicks.
    for (QWidget *container : containers)
        container->lower();
}

QString TemplateControls::text(int id) const
{
    QWidget *w = control(id);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *lines = qobject_cast<QPlainTextEdit *>(w)) {
        // The raw text: toPlainText() would turn a no-break space into a
        // blank, and a text shown unchanged must read back unchanged.
        QString raw = lines->document()->toRawText();
        for (const QChar separator :
             {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator)})
            raw.replace(separator, QLatin1String("\r\n"));
        return raw;
    }
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *list = qobject_cast<QListWidget *>(w))
        return list->currentItem() ? list->currentItem()->text() : QString();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    return {};
}

void TemplateControls::setText(int id, const QString &text)
{
    QWidget *w = control(id);
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        // A new text is shown from its start, as a field the owner has not
        // yet entered shows it; the same text again leaves the caret alone.
        if (edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(0);
        }
    } else if (auto *lines = qobject_cast<QPlainTextEdit *>(w)) {
        QString plain = text;
        plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        // Setting the same text again would still send a text update.
        if (lines->toPlainText() != plain)
            lines->setPlainText(plain);
    } else if (auto *label = qobject_cast<QLabel *>(w)) {
        label->setText(text);
    } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        button->setText(text);
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        group->setTitle(text);
    }
}

void TemplateControls::enable(int id, bool on)
{
    if (QWidget *w = control(id))
        w->setEnabled(on);
}

void TemplateControls::enable(std::initializer_list<int> ids, bool on)
{
    enable(std::span<const int>(ids.begin(), ids.size()), on);
}

void TemplateControls::enable(std::span<const int> ids, bool on)
{
    for (int id : ids)
        enable(id, on);
}

bool TemplateControls::isEnabled(int id) const
{
    const QWidget *w = control(id);
    return w && w->isEnabled();
}

void TemplateControls::showControl(int id, bool on)
{
    if (QWidget *w = control(id))
        w->setVisible(on);
}

bool TemplateControls::isShown(int id) const
{
    const QWidget *w = control(id);
    return w && !w->isHidden();
}

bool TemplateControls::isChecked(int id) const
{
    const auto *button = item<QAbstractButton>(id);
    return button && button->isChecked();
}

void TemplateControls::setChecked(int id, bool on)
{
    if (auto *button = item<QAbstractButton>(id))
        button->setChecked(on);
}

QButtonGroup *TemplateControls::radioGroup(int id) const
{
    const auto *radio = item<QRadioButton>(id);
    return radio ? radio->group() : nullptr;
}

int TemplateControls::checkedRadio(int id) const
{
    const QButtonGroup *group = radioGroup(id);
    return group ? group->checkedId() : -1;
}

void TemplateControls::checkRadio(int id, int position)
{
    QButtonGroup *group = radioGroup(id);
    if (!group)
        return;
    if (QAbstractButton *button = group->button(position)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; none checked is a state
    // the owner's record can hold, so the group lets go for a moment.
    group->setExclusive(false);
    for (QAbstractButton *button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

void TemplateControls::press(int id)
{
    if (auto *button = item<QAbstractButton>(id))
        button->click();
}
