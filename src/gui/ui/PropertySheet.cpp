#include "ui/PropertySheet.h"

#include "common/UserMessage.h"
#include "resources/ResourceIds.h"
#include "ui/UiServices.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>

namespace {

DialogTemplate frameFor(const char *caption, std::initializer_list<const DialogTemplate *> pages,
                        bool withApply)
{
    QSize largest(0, 0);
    for (const DialogTemplate *page : pages)
        largest = largest.expandedTo(page->size);
    return propertySheetFrame(caption, largest, withApply);
}

} // namespace

PropertySheet::PropertySheet(UiServices &ui, const char *caption,
                             std::initializer_list<const DialogTemplate *> pages, bool withApply,
                             QWidget *parent)
    : TemplateDialog(frameFor(caption, pages, withApply), parent), m_ui(ui)
{
    connect(item<QTabWidget>(SheetIds::IDC_TABS), &QTabWidget::currentChanged, this,
            &PropertySheet::onTabChanged);
}

void PropertySheet::addPage(TemplatePage *page)
{
    auto *tabs = item<QTabWidget>(SheetIds::IDC_TABS);
    const QSignalBlocker blocker(tabs);
    m_pages.append(page);
    tabs->addTab(page, page->windowTitle());
}

void PropertySheet::OnInitDialog()
{
    // The first page opens with the sheet.
    if (m_current < 0 && !m_pages.isEmpty()) {
        m_current = item<QTabWidget>(SheetIds::IDC_TABS)->currentIndex();
        m_pages[m_current]->activate();
    }
}

bool PropertySheet::setCurrentPage(int index)
{
    item<QTabWidget>(SheetIds::IDC_TABS)->setCurrentIndex(index);
    return m_current == index;
}

void PropertySheet::onTabChanged(int index)
{
    if (index == m_current || index < 0)
        return;
    if (m_current >= 0 && !takeCurrentPage()) {
        auto *tabs = item<QTabWidget>(SheetIds::IDC_TABS);
        const QSignalBlocker blocker(tabs);
        tabs->setCurrentIndex(m_current);
        return;
    }
    m_current = index;
    m_pages[index]->activate();
}

bool PropertySheet::takeCurrentPage()
{
    TemplatePage *page = m_pages.value(m_current);
    if (!page || !page->wasOpened())
        return true;
    const std::optional<FieldError> refused = page->TakeFieldValues();
    if (!refused)
        return true;
    m_ui.showMessage(this, UserMessage{refused->message, QString(), UserMessage::Icon::Warning});
    if (QWidget *bad = page->control(refused->id)) {
        bad->setFocus();
        // The whole refused text is selected, ready to be typed over.
        if (auto *edit = qobject_cast<QLineEdit *>(bad))
            edit->selectAll();
    }
    return false;
}

void PropertySheet::OnOK()
{
    if (takeCurrentPage())
        accept();
}
