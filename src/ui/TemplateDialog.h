#pragma once

#include "resources/DialogTemplate.h"
#include "ui/DialogUnits.h"

#include <QDialog>
#include <QHash>
#include <QIcon>

// The icon resource of that id (the window icon is 128).
QIcon resourceIcon(int id);

// A dialog built from a template: one widget per control row, placed by dialog
// units of the template's font and found by its id. The dialog classes of the
// program derive from it and address their controls by id.
class TemplateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TemplateDialog(int templateId, QWidget *parent = nullptr);

    const DialogTemplate &dialogTemplate() const { return *m_template; }
    DialogBaseUnits baseUnits() const { return m_base; }

    // Null when the template has no control of that id.
    QWidget *control(int id) const { return m_controls.value(id); }
    template <typename T> T *item(int id) const { return qobject_cast<T *>(control(id)); }
    QList<int> controlIds() const { return m_controls.keys(); }

    QString text(int id) const;
    void setText(int id, const QString &text);
    void enable(int id, bool on);
    bool isEnabled(int id) const;
    void showControl(int id, bool on);
    bool isShown(int id) const;

    // Runs the dialog's initialisation once; showing the dialog does it too,
    // so callers need it only to work with a dialog that is never shown.
    void initialize();
    // Presses the button of that id as the user would; for 1 and 2 without a
    // button, ends the dialog as that button would.
    void press(int id);

protected:
    // Filled by each dialog: what happens when it opens, on OK, on Cancel.
    virtual void OnInitDialog() {}
    virtual void OnOK() { accept(); }
    virtual void OnCancel() { reject(); }

    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void build();

    const DialogTemplate *m_template;
    DialogBaseUnits m_base;
    QHash<int, QWidget *> m_controls;
    bool m_initialized = false;
    bool m_inCancel = false;
};
