#include "TemplateDialog.h"

#include "resources/ResourceIds.h"

#include <QPushButton>

TemplateDialog::TemplateDialog(int templateId, QWidget *parent)
    : TemplateDialog(knownTemplate(templateId), parent)
{
}

TemplateDialog::TemplateDialog(const DialogTemplate &t, QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    build(t);
}

void TemplateDialog::build(const DialogTemplate &t)
{
    buildControls(this, t);
    // Cancel goes the way of Escape and the close box, so that OnCancel runs
    // once whichever ends the dialog.
    if (auto *ok = item<QPushButton>(IDOK))
        connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    if (auto *cancel = item<QPushButton>(IDCANCEL))
        connect(cancel, &QPushButton::clicked, this, &TemplateDialog::reject);
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
    if (item<QAbstractButton>(id))
        TemplateControls::press(id);
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
