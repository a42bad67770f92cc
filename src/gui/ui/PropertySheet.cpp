#include "ui/PropertySheet.h"

#include "common/UserMessage.h"
#include "resources/ResourceIds.h"
#include "ui/UiServices.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

namespace {

// Room beside the tab bar's own width that keeps the scroll arrows away.
constexpr int kTabBarSlack = 8;

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
    // Qt has no second row of tabs: a sheet whose tabs do not fit in one row
    // grows wider, its buttons with it, so that every tab shows.
    const int missing = tabs->tabBar()->sizeHint().width() + kTabBarSlack - tabs->width();
    if (missing > 0) {
        setFixedWidth(width() + missing);
        tabs->resize(tabs->width() + missing, tabs->height());
        for (int id : {int(IDOK), int(IDCANCEL), int(SheetIds::IDC_APPLY)}) {
            if (QWidget *button = control(id))
                button->move(button->pos() + QPoint(missing, 0));
        }
    }
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
