#pragma once

#include "config/MajordomoConfig.h"
#include "ui/TemplatePage.h"

class UiServices;

// One of the five pages of the config sheet: the keywords of its page, each
// a row of controls (ConfigPageLayout.h) bound to its entry of the sheet's
// record. Only keywords the file holds can be changed. Pages 3 and 4 carry
// the placeholder buttons with their menus.
class CConfigPage : public TemplatePage
{
    Q_OBJECT

public:
    // page: 1 to 5.
    CConfigPage(int page, MajordomoConfig &config, UiServices &ui, QWidget *parent = nullptr);

    // What a placeholder menu's entry does: the text replaces the field's
    // selection or goes in at its caret, and the record takes the field's
    // new text. A disabled field (its keyword absent) takes nothing.
    void insertPlaceholder(Keyword target, const QString &text);

protected:
    QList<FieldBinding> bindings() override;
    void OnInitDialog() override;

private:
    QList<FieldBinding> keywordBindings(Keyword keyword);
    // The click on a placeholder button: its menu opens at the button's
    // top-right corner.
    void onPlaceholderButton(Keyword target);

    int m_page;
    MajordomoConfig &m_config;
    UiServices &m_ui;
};
