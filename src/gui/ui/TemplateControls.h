#pragma once

#include "resources/DialogTemplate.h"
#include "ui/DialogUnits.h"

#include <QAbstractButton>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>

#include <initializer_list>
#include <span>

class QButtonGroup;
class QWidget;

// The icon resource of that id (the window icon is 128).
QIcon resourceIcon(int id);

// The program's template of that id, which must exist.
const DialogTemplate &knownTemplate(int id);

// The controls of one template built into a host widget (a dialog, a property
// page, a modeless window), found by id. Each host class derives from its Qt
// widget and from this, so every window reads and sets its controls alike.
class TemplateControls
{
public:
    const DialogTemplate &dialogTemplate() const { return m_template; }
    DialogBaseUnits baseUnits() const { return m_base; }

    // Null when the template has no control of that id.
    QWidget *control(int id) const { return m_controls.value(id); }
    template <typename T> T *item(int id) const { return qobject_cast<T *>(control(id)); }
    // Connects a click of the button of that id (by the user or by press())
    // to slot, a member function of context or a functor run in its thread.
    template <typename Context, typename Slot>
    void onClicked(int id, const Context *context, Slot slot) const
    {
        QObject::connect(item<QAbstractButton>(id), &QAbstractButton::clicked, context, slot);
    }
    QList<int> controlIds() const { return m_controls.keys(); }

    // A multi-line edit's text has CR LF between its lines.
    QString text(int id) const;
    void setText(int id, const QString &text);
    void enable(int id, bool on);
    void enable(std::initializer_list<int> ids, bool on);
    void enable(std::span<const int> ids, bool on);
    bool isEnabled(int id) const;
    void showControl(int id, bool on);
    bool isShown(int id) const;

    // Check boxes and radio buttons.
    bool isChecked(int id) const;
    void setChecked(int id, bool on);
    // The radio group of the button id: the buttons of its group-start run.
    QButtonGroup *radioGroup(int id) const;
    // The position in its group of the checked button, -1 when none is.
    int checkedRadio(int id) const;
    // Checks the button at that position of id's group; -1 clears them all.
    void checkRadio(int id, int position);

    // Presses the button of that id as the user would.
    void press(int id);

protected:
    TemplateControls() = default;
    ~TemplateControls() = default;
    TemplateControls(const TemplateControls &) = delete;
    TemplateControls &operator=(const TemplateControls &) = delete;

    // Builds the controls into host, which takes the template's caption,
    // font and size.
    void buildControls(QWidget *host, const DialogTemplate &t);

private:
    DialogTemplate m_template;
    DialogBaseUnits m_base;
    QHash<int, QWidget *> m_controls;
    QList<QButtonGroup *> m_groups;
};
