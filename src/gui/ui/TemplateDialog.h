#pragma once

#include "ui/TemplateControls.h"

#include <QDialog>
#include <QStringList>

class QDragEnterEvent;
class QDropEvent;

// A drag that carries local files is accepted.
void acceptFileDrag(QDragEnterEvent *event);
// The local files of a drop, in the order the file manager gave them; the
// drop is accepted when there are any.
QStringList takeFileDrop(QDropEvent *event);

// A dialog built from a template, modal or modeless: the dialog classes of
// the program derive from it and address their controls by id.
class TemplateDialog : public QDialog, public TemplateControls
{
    Q_OBJECT

public:
    explicit TemplateDialog(int templateId, QWidget *parent = nullptr);
    // A template made at run time (a property sheet's frame, a test's own).
    explicit TemplateDialog(const DialogTemplate &t, QWidget *parent = nullptr);

    using TemplateControls::isEnabled;

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
    void build(const DialogTemplate &t);
    void focusFirstControl();

    bool m_initialized = false;
    bool m_inCancel = false;
};
