#include "ui/TemplatePage.h"

TemplatePage::TemplatePage(int templateId, QWidget *parent)
    : TemplatePage(knownTemplate(templateId), parent)
{
}

TemplatePage::TemplatePage(const DialogTemplate &t, QWidget *parent) : QWidget(parent)
{
    buildControls(this, t);
}

void TemplatePage::activate()
{
    if (!m_opened) {
        m_opened = true;
        OnInitDialog();
    }
    OnSetActive();
}
