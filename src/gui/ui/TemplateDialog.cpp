#include "ui/TemplateDialog.h"

#include "resources/ResourceIds.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

namespace {

QStringList localFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime)
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

void acceptFileDrag(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

QStringList takeFileDrop(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (!paths.isEmpty())
        event->acceptProposedAction();
    return paths;
}

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
    const bool opening = !m_initialized;
    initialize();
    QDialog::showEvent(event);
    if (opening)
        focusFirstControl();
}

void TemplateDialog::focusFirstControl()
{
    // The first control that takes the focus gets it; an edit there has its
    // text selected, so typing replaces it, as dialogs do on Windows.
    for (const ControlTemplate &row : dialogTemplate().controls) {
        QWidget *w = control(row.id);
        if (!w || w->isHidden() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        w->setFocus(Qt::TabFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(w))
            edit->selectAll();
        return;
    }
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
