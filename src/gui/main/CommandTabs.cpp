#include "main/CommandTabs.h"

#include "commands/BounceTally.h"
#include "commands/CommandTable.h"
#include "commands/EditorStart.h"
#include "commands/OutgoingFolder.h"
#include "commands/Roster.h"
#include "config/MajordomoConfig.h"
#include "dialogs/FileRenameDlg.h"
#include "dialogs/MailSelectDlg.h"
#include "dialogs/QueuedMailDlg.h"
#include "dialogs/RosterDlg.h"
#include "main/BackgroundRead.h"
#include "main/TavelinDlg.h"
#include "main/WindowSendAllView.h"
#include "resources/ResourceIds.h"
#include "resources/TemplateTexts.h"
#include "sheets/ConfigSheet.h"
#include "ui/UiServices.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

using namespace MainIds;

CommandTabs::CommandTabs(CTavelinDlg &window, UiServices &ui) : m_window(window), m_ui(ui)
{
    auto clicked = [this](int id, void (CommandTabs::*handler)()) {
        m_window.onClicked(id, &m_window, [this, handler] { (this->*handler)(); });
    };
    clicked(IDC_CREATE, &CommandTabs::onCreate);
    clicked(IDC_QUEUE, &CommandTabs::onQueue);
    clicked(IDC_EXTRACT, &CommandTabs::onExtract);
    clicked(IDC_EDIT, &CommandTabs::onEdit);
    clicked(IDC_BROWSE, &CommandTabs::onBrowse);
    clicked(IDC_ROSTER, &CommandTabs::onRoster);
    // A reply of the list server is taken on every tab; the tab's own rule
    // applies to other mails.
    m_window.setAcceptDrops(true);
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
        tabs->addTab(new QWidget(tabs),
                     QCoreApplication::translate(kCommandTableContext, tab.label));
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

bool CommandTabs::createAllowed() const
{
    const CommandTab *tab = commandTab(currentTab());
    // A send-all run holds 1060 until its end gives it back.
    return tab && m_window.selectedEntry() && !m_window.sending().holdsRunButtons() &&
           (tab->create == CreateRule::Always || !m_window.text(IDC_ARGUMENT).isEmpty());
}

void CommandTabs::onTabChanged()
{
    m_window.TakeFieldValues();
    m_window.enable(IDC_CREATE, false);
    m_window.m_strArgument.clear();
    const MailingListEntry *entry = m_window.selectedEntry();
    if (const CommandTab *tab = commandTab(currentTab())) {
        m_window.m_strLabel = QCoreApplication::translate(kCommandTableContext, tab->fieldLabel);
        if (tab->file && entry)
            m_window.m_strArgument = QString::fromLocal8Bit(entry->*tab->file);
        // With no list the field stays hidden, as SelectList left it.
        m_window.showControl(IDC_ARGUMENT, tab->fieldShown && entry);
        m_window.showControl(IDC_EXTRACT, tab->extractShown);
        m_window.showControl(IDC_EDIT, tab->editShown);
        m_window.showControl(IDC_BROWSE, tab->browseShown);
        m_window.showControl(IDC_ROSTER, tab->rosterShown);
    }
    // Pushing the field's text runs the field's rule; the create button is
    // set after it, so a tab without a field enables it at once.
    m_window.ShowValues();
    m_window.enable(IDC_CREATE, createAllowed());
}

void CommandTabs::onListSelected(bool selected)
{
    m_window.enable({IDC_TAB, IDC_ARGUMENT, IDC_EXTRACT, IDC_EDIT, IDC_BROWSE, IDC_ROSTER},
                    selected);
    const CommandTab *tab = commandTab(currentTab());
    m_window.showControl(IDC_ARGUMENT, selected && (!tab || tab->fieldShown));
    // A file tab edits the selected list's file: left showing the list before,
    // the next keystroke would store that list's path into this one and the
    // mail would embed the other list's file.
    if (const MailingListEntry *entry = m_window.selectedEntry(); selected && tab && tab->file) {
        m_window.m_strArgument = QString::fromLocal8Bit(entry->*tab->file);
        m_window.setText(IDC_ARGUMENT, m_window.m_strArgument);
    }
    m_window.enable(IDC_CREATE, createAllowed());
}

void CommandTabs::onArgumentChanged()
{
    m_window.enable(IDC_CREATE, createAllowed());
    // On the file tabs the field edits the selected list's file.
    const CommandTab *tab = commandTab(currentTab());
    if (tab && tab->file && m_window.selectedEntry())
        m_window.OnUpdateField(tab->file, IDC_ARGUMENT);
}

void CommandTabs::handleFiles(const QStringList &paths)
{
    const CommandTab *tab = commandTab(currentTab());
    if (!tab || !tab->acceptsDrops || paths.isEmpty())
        return;
    if (tab->extraction != ExtractionRule::None)
        extractAddresses(paths);
    else if (tab->handsOverConfig)
        handOverConfig(paths.constFirst());
}

void CommandTabs::extractAddresses(const QStringList &paths)
{
    // One read at a time: the window's events go on during a read.
    if (m_reading)
        return;
    m_reading = true;
    const bool senders = commandTab(currentTab())->extraction == ExtractionRule::SenderAddress;
    MailBatch batch(paths);
    BounceTally tally;
    const bool read =
        RunWithProgress(&m_window, QCoreApplication::translate("CommandTabs", "ｱﾄﾞﾚｽ抽出中..."),
                        [&](const MailBatch::Progress &progress) {
                            return ReadMailBatch(batch, senders, tally, progress);
                        });
    m_reading = false;
    if (!read)
        return; // cancelled: the field stays as it was
    // The addresses replace the field's text, also when none were found.
    const QByteArray field = JoinAddresses(tally.addresses());
    m_window.m_strArgument = QString::fromLocal8Bit(field);
    m_window.ShowValues();
    if (field.isEmpty()) {
        m_ui.showMessage(&m_window, NothingExtractedMessage());
    } else if (!batch.problems().isEmpty()) {
        QStringList names;
        for (const BatchProblem &problem : batch.problems())
            names.append(QDir::toNativeSeparators(problem.what) + QStringLiteral(": ") +
                         problem.error);
        m_ui.showMessage(
            &m_window, {QCoreApplication::translate("CommandTabs", "読めなかったﾒｰﾙがあります\n%1")
                            .arg(names.join('\n')),
                        NothingExtractedMessage().caption, UserMessage::Icon::Warning});
    }
    // Nothing found leaves the field empty and the button off until the owner
    // types an address: a mail without one would be refused.
    m_window.enable(IDC_CREATE, createAllowed());
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
    dialog.m_strFilter = QCoreApplication::translate(
        "CommandTabs", "config ﾌｧｲﾙ(*.conf)|*.conf|全てのﾌｧｲﾙ (*.*)|*.*||");
    // Cancelled, nothing was copied: rewriting the file under the new name
    // would change a file the owner chose not to replace.
    if (m_ui.runModal(dialog) != DialogAnswer::Ok)
        return;
    m_window.m_strArgument = dialog.m_strNewName;
    // A reply of the list server becomes a plain config file; a file left as
    // the reply would be sent whole as the list's config.
    MajordomoConfig config;
    QString error;
    if (!config.Load(dialog.m_strNewName, &error) || !config.Save(&error))
        m_ui.messageBox(&m_window,
                        QCoreApplication::translate("CommandTabs",
                                                    "%1 を config ファイルにできませんでした\n%2")
                            .arg(QDir::toNativeSeparators(dialog.m_strNewName), error),
                        applicationName(), MessageButtons::Ok, MessageIcon::Stop);
}

void CommandTabs::onCreate()
{
    m_window.TakeFieldValues();
    const MailingListEntry *entry = m_window.selectedEntry();
    const std::optional<CommandKind> kind = CommandKindFromTab(currentTab());
    if (!entry || !kind) {
        m_ui.showMessage(&m_window, CommandNotComposedMessage());
        return;
    }
    // A file tab's field shows the list's file: its stored bytes go into the
    // mail unless the owner typed another name.
    QByteArray argument = m_window.m_strArgument.toLocal8Bit();
    if (QByteArray MailingListEntry::*file = commandTab(*kind).file;
        file && m_window.m_strArgument == QString::fromLocal8Bit(entry->*file))
        argument = entry->*file;
    const CommonSettings &settings = m_window.commonSettings();
    const QueueResult result =
        QueueCommand(settings.outgoingFolder(), *kind, MakeCommandInput(*entry, settings, argument),
                     QDateTime::currentDateTime());
    if (!result.ok()) {
        m_ui.showMessage(&m_window, *result.failure);
        return;
    }
    m_window.RecountQueued();
    if (result.notice)
        m_ui.showMessage(&m_window, *result.notice);
}

void CommandTabs::onQueue()
{
    CQueuedMailDlg dialog(m_ui, &m_window);
    dialog.m_strFolder = m_window.commonSettings().outgoingFolder();
    dialog.m_strEditer = m_window.commonSettings().Editer;
    m_ui.runModal(dialog);
    if (dialog.m_bChanged)
        m_window.RecountQueued();
}

void CommandTabs::onExtract()
{
    m_window.TakeFieldValues();
    CMailSelectDlg dialog(m_ui, &m_window);
    if (m_ui.runModal(dialog) != DialogAnswer::Ok)
        return;
    extractAddresses({dialog.m_strFileName});
}

void CommandTabs::onEdit()
{
    const CommandTab *tab = commandTab(currentTab());
    if (!tab || !tab->editShown)
        return;
    if (tab->kind == CommandKind::NewConfig) {
        EditConfigFile(m_ui, &m_window, m_window.text(IDC_ARGUMENT));
        return;
    }
    if (const std::optional<UserMessage> failure =
            StartEditor(m_window.commonSettings().Editer, m_window.text(IDC_ARGUMENT)))
        m_ui.showMessage(&m_window, *failure);
}

void CommandTabs::onBrowse()
{
    const CommandTab *tab = commandTab(currentTab());
    if (!tab || !tab->browseFilter)
        return;
    m_window.TakeFieldValues();
    const std::optional<QString> chosen = m_ui.openFileName(
        &m_window, {QString(), QString::fromUtf8(tab->browseExtension), m_window.m_strArgument,
                    QCoreApplication::translate(kCommandTableContext, tab->browseFilter),
                    FileDialogFlag::HideReadOnly | FileDialogFlag::OverwritePrompt});
    if (!chosen)
        return;
    m_window.m_strArgument = *chosen;
    // The field's text update stores another path as the list's file and
    // raises the dirty flag; the same file chosen again changes nothing.
    m_window.ShowValues();
}

void CommandTabs::onRoster()
{
    const MailingListEntry *entry = m_window.selectedEntry();
    if (!entry)
        return;
    const RosterStore store(RosterStore::defaultFolder());
    const QString caption = QCoreApplication::translate("CommandTabs", "会員一覧");
    QString error;
    const std::optional<Roster> roster = store.load(*entry, false, &error);
    if (!roster) {
        m_ui.messageBox(&m_window,
                        error.isEmpty() ? QCoreApplication::translate(
                                              "CommandTabs",
                                              "会員一覧はまだありません\n"
                                              "会員一覧のｺﾏﾝﾄﾞﾒｰﾙを送り、返信をﾄﾞﾛｯﾌﾟしてください")
                                        : error,
                        caption, MessageButtons::Ok, MessageIcon::Information);
        return;
    }
    CRosterDlg dialog(m_ui, &m_window);
    dialog.m_roster = *roster;
    dialog.m_previous = store.load(*entry, true);
    if (m_ui.runModal(dialog) != DialogAnswer::Ok || dialog.m_unsubscribe.isEmpty())
        return;
    // The chosen addresses go to the forced-unsubscribe field, as that field
    // takes them: joined by commas.
    selectTab(int(CommandKind::ForcedUnsubscribe));
    onTabChanged();
    m_window.m_strArgument = QString::fromLocal8Bit(JoinAddresses(dialog.m_unsubscribe));
    m_window.ShowValues();
    m_window.enable(IDC_CREATE, createAllowed());
}
