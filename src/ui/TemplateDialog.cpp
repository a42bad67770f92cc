#include "TemplateDialog.h"

#include "resources/ResourceIds.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>

QIcon resourceIcon(int id)
{
    return QIcon(QStringLiteral(":/icons/icon%1.png").arg(id));
}

namespace {

bool hasDefaultButton(const DialogTemplate &t)
{
    return std::any_of(t.controls.begin(), t.controls.end(), [](const ControlTemplate &row) {
        return row.style.testFlag(ControlStyle::DefaultButton);
    });
}

QWidget *makeControl(const ControlTemplate &row, bool dialogHasDefault, QWidget *parent)
{
    const QString text = QString::fromUtf8(row.text);
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
        label->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
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
            // A field that cannot be typed into looks like the dialog behind it.
            edit->setReadOnly(true);
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Window));
            edit->setPalette(palette);
        }
        edit->setFrame(!row.style.testFlag(ControlStyle::NoBorder));
        if (row.style.testFlag(ControlStyle::Password))
            edit->setEchoMode(QLineEdit::Password);
        if (right)
            edit->setAlignment(Qt::AlignRight);
        // Dropped files belong to the window, not to the text of a field.
        edit->setAcceptDrops(false);
        return edit;
    }
    case ControlKind::DropDownList:
        // Sorted lists keep their order themselves (the owner inserts at the
        // sorted position): a model sort would not keep equal titles in order.
        return new QComboBox(parent);
    case ControlKind::TabControl:
        return new QTabWidget(parent);
    }
    return new QWidget(parent);
}

} // namespace

TemplateDialog::TemplateDialog(int templateId, QWidget *parent)
    : QDialog(parent), m_template(findDialogTemplate(templateId))
{
    Q_ASSERT_X(m_template, "TemplateDialog", "unknown template id");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    build();
}

void TemplateDialog::build()
{
    const DialogTemplate &t = *m_template;
    setWindowTitle(QString::fromUtf8(t.caption));
    setFont(dialogFont(QString::fromUtf8(t.fontFamily), t.pointSize));
    m_base = dialogBaseUnits(font());
    setFixedSize(dialogUnitsToPixels(t.size, m_base));

    const bool withDefault = hasDefaultButton(t);
    QList<QWidget *> containers;
    for (const ControlTemplate &row : t.controls) {
        QWidget *widget = makeControl(row, withDefault, this);
        QRect rect = dialogUnitsToPixels(row.rect, m_base);
        // A drop-down list's height includes its open list; closed, it is as
        // high as its font needs.
        if (row.kind == ControlKind::DropDownList)
            rect.setHeight(widget->sizeHint().height());
        widget->setGeometry(rect);
        widget->setEnabled(!row.style.testFlag(ControlStyle::Disabled));
        if (row.style.testFlag(ControlStyle::Hidden))
            widget->hide();
        if (row.style.testFlag(ControlStyle::NoTabStop))
            widget->setFocusPolicy(Qt::ClickFocus);
        if (row.kind == ControlKind::GroupBox || row.kind == ControlKind::TabControl)
            containers.append(widget);
        if (row.id != IDC_STATIC) {
            widget->setObjectName(QString::number(row.id));
            m_controls.insert(row.id, widget);
            if (auto *button = qobject_cast<QPushButton *>(widget)) {
                // Cancel goes the way of Escape and the close box, so that
                // OnCancel runs once whichever ends the dialog.
                if (row.id == IDOK)
                    connect(button, &QPushButton::clicked, this, [this] { OnOK(); });
                else if (row.id == IDCANCEL)
                    connect(button, &QPushButton::clicked, this, &TemplateDialog::reject);
            }
        }
    }
    // Frames lie under the controls drawn inside them, so those take the clicks.
    for (QWidget *container : containers)
        container->lower();
}

QString TemplateDialog::text(int id) const
{
    QWidget *w = control(id);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    return {};
}

void TemplateDialog::setText(int id, const QString &text)
{
    QWidget *w = control(id);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        edit->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(w))
        group->setTitle(text);
}

void TemplateDialog::enable(int id, bool on)
{
    if (QWidget *w = control(id))
        w->setEnabled(on);
}

bool TemplateDialog::isEnabled(int id) const
{
    const QWidget *w = control(id);
    return w && w->isEnabled();
}

void TemplateDialog::showControl(int id, bool on)
{
    if (QWidget *w = control(id))
        w->setVisible(on);
}

bool TemplateDialog::isShown(int id) const
{
    const QWidget *w = control(id);
    return w && !w->isHidden();
}

void TemplateDialog::initialize()
{
    if (m_initialized)
        return;
    m_initialized = true;
    OnInitDialog();
}

void TemplateDialog::press(int id)
{
    if (auto *button = item<QAbstractButton>(id))
        button->click();
    else if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        reject();
}

void TemplateDialog::showEvent(QShowEvent *event)
{
    initialize();
    QDialog::showEvent(event);
}

void TemplateDialog::reject()
{
    // Escape and the window's close box count as Cancel; OnCancel's default
    // comes back here and must then really end the dialog.
    if (m_inCancel) {
        QDialog::reject();
        return;
    }
    m_inCancel = true;
    OnCancel();
    m_inCancel = false;
}
