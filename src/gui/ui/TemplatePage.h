#pragma once

#include "ui/FieldBinding.h"
#include "ui/TemplateControls.h"

#include <QWidget>

#include <optional>

// One page of a property sheet, built from its template. A page is a table
// of bindings between its controls and the record its sheet edits; the two
// exchanges run over that table.
class TemplatePage : public QWidget, public TemplateControls
{
    Q_OBJECT

public:
    explicit TemplatePage(int templateId, QWidget *parent = nullptr);
    explicit TemplatePage(const DialogTemplate &t, QWidget *parent = nullptr);

    using TemplateControls::isEnabled;

    // Members into controls.
    virtual void ShowValues() { showFields(*this, bindings()); }
    // Controls into members: all of them, or none and the reason.
    virtual std::optional<FieldError> TakeFieldValues() { return takeFields(*this, bindings()); }

    // The sheet opens the page: the first time OnInitDialog runs (lists are
    // filled, values shown, rules applied), afterwards OnSetActive only.
    void activate();
    bool wasOpened() const { return m_opened; }

protected:
    // The page's table: each row binds a control to a member of the record.
    virtual QList<FieldBinding> bindings() { return {}; }
    virtual void OnInitDialog() { ShowValues(); }
    virtual void OnSetActive() {}

private:
    bool m_opened = false;
};
