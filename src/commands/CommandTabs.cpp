#include "CommandTabs.h"

#include "app/FileRenameDlg.h"
#include "app/TavelinDlg.h"
#include "commands/CommandTable.h"
#include "config/ConfigSheet.h"
#include "config/MajordomoConfig.h"
#include "resources/ResourceIds.h"
#include "ui/UiServices.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

using namespace MainIds;

CommandTabs::CommandTabs(CTavelinDlg &window, UiServices &ui) : m_window(window), m_ui(ui)
{
    auto clicked = [this](int id, void (CommandTabs::*handler)()) {
        QObject::connect(m_window.item<QPushButton>(id), &QPushButton::clicked, &m_window,
                         [this, handler] { (this->*handler)(); });
    };
    clicked(IDC_CREATE, &CommandTabs::onCreate);
    clicked(IDC_QUEUE, &CommandTabs::onQueue);
    clicked(IDC_EXTRACT, &CommandTabs::onExtract);
    clicked(IDC_EDIT, &CommandTabs::onEdit);
    clicked(IDC_BROWSE, &CommandTabs::onBrowse);
    QObject::connect(m_window.item<QTabWidget>(IDC_TAB), &QTabWidget::currentChanged, &m_window,
                     [this] { onTabChanged(); });
    QObject::connect(m_window.item<QLineEdit>(IDC_ARGUMENT), &QLineEdit::textChanged, &m_window,
                     [this] { onArgumentChanged(); });
}

void CommandTabs::addTabs()
{
    auto *tabs = m_window.item<QTabWidget>(IDC_TAB);
    const QSignalBlocker blocker(tabs);
    for (const CommandTab &tab : commandTabs())
        tabs->addTab(new QWidget(tabs), QString::fromUtf8(tab.label));
}

int CommandTabs::currentTab() const
{
    return m_window.item<QTabWidget>(IDC_TAB)->currentIndex();
}

void CommandTabs::selectTab(int tab)
{
    auto *tabs = m_window.item<QTabWidget>(IDC_TAB);
    const QSignalBlocker blocker(tabs);
    tabs->setCurrentIndex(tab);
}

void CommandTabs::onTabChanged()
{
    const CommandTab *tab = commandTab(currentTab());
    if (!tab)
        return;
    m_window.setAcceptDrops(tab->acceptsDrops);
    // The rest of the tab's row (label, field, buttons, create rule) is
    // applied here by the command-tab work.
}

void CommandTabs::handleFile(const QString &path)
{
    const CommandTab *tab = commandTab(currentTab());
    if (!tab)
        return;
    if (tab->extraction != ExtractionRule::None)
        extractAddresses(path);
    else if (tab->handsOverConfig)
        handOverConfig(path);
}

void CommandTabs::extractAddresses(const QString &path)
{
    // The addresses replace the field's text, also when none were found.
    const ExtractionOutcome outcome = ExtractAddresses(currentTab(), path);
    m_window.m_strArgument = QString::fromLocal8Bit(outcome.fieldText);
    if (outcome.message)
        m_ui.showMessage(&m_window, *outcome.message);
}

void CommandTabs::handOverConfig(const QString &path)
{
    const MailingListEntry *entry = m_window.selectedEntry();
    if (!entry)
        return;
    CFileRenameDlg dialog(m_ui, &m_window);
    dialog.m_strSource = path;
    dialog.m_strNewName = QString::fromLocal8Bit(entry->ConfigFile);
    dialog.m_strDefExt = QStringLiteral("*.conf");
    dialog.m_strFilter = QStringLiteral("config ﾌｧｲﾙ(*.conf)|*.conf|全てのﾌｧｲﾙ (*.*)|*.*||");
    // Cancelled, nothing was copied: rewriting the file under the new name
    // would change a file the owner chose not to replace.
    if (m_ui.runModal(dialog) != DialogAnswer::Ok)
        return;
    m_window.m_strArgument = dialog.m_strNewName;
    // A reply of the list server becomes a plain config file.
    MajordomoConfig config;
    if (config.Load(dialog.m_strNewName))
        config.Save();
}

// The handlers below are filled by the command-tab work; until then their
// controls do nothing.
void CommandTabs::onArgumentChanged() {}
void CommandTabs::onCreate() {}
void CommandTabs::onQueue() {}
void CommandTabs::onExtract() {}
void CommandTabs::onBrowse() {}

void CommandTabs::onEdit()
{
    const CommandTab *tab = commandTab(currentTab());
    if (tab && tab->handsOverConfig)
        EditConfigFile(m_ui, &m_window, m_window.text(IDC_ARGUMENT));
}
