#pragma once

#include "ui/TemplateDialog.h"
#include "ui/TemplatePage.h"

#include <initializer_list>

class UiServices;

// A property sheet: a frame (tab control, OK, Cancel, Apply if asked for)
// with one page per tab. Leaving a page, or OK, takes that page's values; a
// page whose values are refused keeps the sheet open on it, with the focus
// on the refused control and the reason shown. Pages never opened take
// nothing, so their members keep what they held.
class PropertySheet : public TemplateDialog
{
    Q_OBJECT

public:
    // pages: the templates of the pages that addPage will add, which size the frame.
    PropertySheet(UiServices &ui, const char *caption,
                  std::initializer_list<const DialogTemplate *> pages, bool withApply,
                  QWidget *parent = nullptr);

    // The sheet takes the page; pages are shown in the order added.
    void addPage(TemplatePage *page);
    int pageCount() const { return int(m_pages.size()); }
    TemplatePage *page(int index) const { return m_pages.value(index); }
    int currentPage() const { return m_current; }
    // Turns to that page as a click on its tab does; false when the page
    // shown refused its values and stays.
    bool setCurrentPage(int index);

protected:
    void OnInitDialog() override;
    void OnOK() override;
    // Takes the values of the page shown; on a refusal shows why, focuses
    // the control and returns false.
    bool takeCurrentPage();

private:
    void onTabChanged(int index);

    UiServices &m_ui;
    QList<TemplatePage *> m_pages;
    int m_current = -1;
};
