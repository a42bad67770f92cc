#include "main/CommandTabs.h"

#include "commands/BounceTally.h"
#include "commands/CommandTable.h"
#include "commands/EditorStart.h"
#include "commands/OutgoingFolder.h"
#include "commands/Roster.h"
#include "config/MajordomoConfig.h"
#include "dialogs/BounceSummaryDlg.h"
#include "dialogs/FileRenameDlg.h"
#include "dialogs/MailSelectDlg.h"
#include "dialogs/QueuedMailDlg.h"
#include "dialogs/RosterDlg.h"
#include "main/BackgroundRead.h"
#include "main/MainWindowHost.h"
#include "resources/ResourceIds.h"
#include "resources/TemplateTexts.h"
#include "sheets/ConfigSheet.h"
#include "store/CommonSettings.h"
#include "ui/TemplateControls.h"
#include "ui/UiServices.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

using namespace MainIds;

CommandTabs::CommandTabs(MainWindowHost &host, UiServices &ui)
    : m_host(host), m_controls(host.controls()), m_widget(host.hostWidget()), m_ui(ui)
{
    auto clicked = [this](int id, void (CommandTabs::*handler)()) {
        m_controls.onClicked(id, &m_widget, [this, handler] { (this->*handler)(); });
    };
    clicked(IDC_CREATE, &CommandTabs::onCreate);
    clicked(IDC_QUEUE, &CommandTabs::onQueue);
    clicked(IDC_EXTRACT, &CommandTabs::onExtract);
    clicked(IDC_EDIT, &CommandTabs::onEdit);
    clicked(IDC_BROWSE, &CommandTabs::onBrowse);
    clicked(IDC_ROSTER, &CommandTabs::onRoster);
    // A reply of the list server is taken on every tab; the tab's own rule
    // applies to other mails.
    m_widget.setAcceptDrops(true);
    QObject::connect(m_controls.item<QTabWidget>(IDC_TAB), &QTabWidget::currentChanged, &m_widget,
                     [this] { onTabChanged(); });
    QObject::connect(m_controls.item<QLineEdit>(IDC_ARGUMENT), &QLineEdit::textChanged, &m_widget,
                     [this] { onArgumentChanged(); });
}

void CommandTabs::addTabs()
{
    auto *tabs = m_controls.item<QTabWidget>(IDC_TAB);
    const QSignalBlocker blocker(tabs);
    for (const CommandTab &tab : commandTabs())
        tabs->addTab(new QWidget(tabs),
                     QCoreApplication::translate(kCommandTableContext, tab.label));
}

int CommandTabs::currentTab() const
{
    return m_controls.item<QTabWidget>(IDC_TAB)->currentIndex();
}

void CommandTabs::selectTab(int tab)
{
    auto *tabs = m_controls.item<QTabWidget>(IDC_TAB);
    const QSignalBlocker blocker(tabs);
    tabs->setCurrentIndex(tab);
}

bool CommandTabs::createAllowed() const
{
    const CommandTab *tab = commandTab(currentTab());
    // A send-all run holds 1060 until its end gives it back.
    return tab && m_host.selectedEntry() && !m_host.runHoldsButtons() &&
           (tab->create == CreateRule::Always || !m_controls.text(IDC_ARGUMENT).isEmpty());
}

void CommandTabs::onTabChanged()
{
    m_host.TakeFieldValues();
    m_controls.enable(IDC_CREATE, false);
    m_host.argumentField().clear();
    const MailingListEntry *entry = m_host.selectedEntry();
    if (const CommandTab *tab = commandTab(currentTab())) {
        m_host.setLabelField(QCoreApplication::translate(kCommandTableContext, tab->fieldLabel));
        if (tab->file && entry)
            m_host.argumentField() = QString::fromLocal8Bit(entry->*tab->file);
        // With no list the field stays hidden, as SelectList left it.
        m_controls.showControl(IDC_ARGUMENT, tab->fieldShown && entry);
        m_controls.showControl(IDC_EXTRACT, tab->extractShown);
        m_controls.showControl(IDC_EDIT, tab->editShown);
        m_controls.showControl(IDC_BROWSE, tab->browseShown);
        m_controls.showControl(IDC_ROSTER, tab->rosterShown);
    }
    // Pushing the field's text runs the field's rule; the create button is
    // set after it, so a tab without a field enables it at once.
    m_host.ShowValues();
    m_controls.enable(IDC_CREATE, createAllowed());
}

void CommandTabs::onListSelected(bool selected)
{
    m_controls.enable({IDC_TAB, IDC_ARGUMENT, IDC_EXTRACT, IDC_EDIT, IDC_BROWSE, IDC_ROSTER},
                      selected);
    const CommandTab *tab = commandTab(currentTab());
    m_controls.showControl(IDC_ARGUMENT, selected && (!tab || tab->fieldShown));
    // A file tab edits the selected list's file: left showing the list before,
    // the next keystroke would store that list's path into this one and the
    // mail would embed the other list's file.
    if (const MailingListEntry *entry = m_host.selectedEntry(); selected && tab && tab->file) {
        m_host.argumentField() = QString::fromLocal8Bit(entry->*tab->file);
        m_controls.setText(IDC_ARGUMENT, m_host.argumentField());
    }
    m_controls.enable(IDC_CREATE, createAllowed());
}

void CommandTabs::onArgumentChanged()
{
    m_controls.enable(IDC_CREATE, createAllowed());
    // On the file tabs the field edits the selected list's file.
    const CommandTab *tab = commandTab(currentTab());
    if (tab && tab->file && m_host.selectedEntry())
        m_host.updateEntryField(tab->file, IDC_ARGUMENT);
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

void CommandTabs::fillAddresses(int tab, const QByteArray &addresses)
{
    if (!m_host.selectedEntry())
        return;
    selectTab(tab);
    onTabChanged();
    m_host.argumentField() = QString::fromLocal8Bit(addresses);
    m_host.ShowValues();
    m_controls.enable(IDC_CREATE, createAllowed());
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
        RunWithProgress(&m_widget, QCoreApplication::translate("CommandTabs", "ｱﾄﾞﾚｽ抽出中..."),
                        [&](const MailBatch::Progress &progress) {
                            return ReadMailBatch(batch, senders, tally, progress);
                        });
    m_reading = false;
    if (!read)
        return; // cancelled: the field stays as it was
    QByteArrayList addresses = tally.addresses();
    // Many returned mails: the owner picks from the summary which addresses
    // to unsubscribe, checked by the stored thresholds.
    const bool summary = !senders && tally.mailCount() > 1 && !addresses.isEmpty();
    if (summary) {
        std::optional<QByteArrayList> chosen = chooseBounces(std::move(tally));
        if (!chosen)
            return; // cancelled: the field stays as it was
        addresses = *chosen;
    }
    // The addresses replace the field's text, also when none were found.
    const QByteArray field = JoinAddresses(addresses);
    m_host.argumentField() = QString::fromLocal8Bit(field);
    m_host.ShowValues();
    if (field.isEmpty() && !summary) {
        m_ui.showMessage(&m_widget, NothingExtractedMessage());
    } else if (!batch.problems().isEmpty()) {
        QStringList names;
        for (const BatchProblem &problem : batch.problems())
            names.append(QDir::toNativeSeparators(problem.what) + QStringLiteral(": ") +
                         problem.error);
        m_ui.showMessage(
            &m_widget, {QCoreApplication::translate("CommandTabs", "読めなかったﾒｰﾙがあります\n%1")
                            .arg(names.join('\n')),
                        NothingExtractedMessage().caption, UserMessage::Icon::Warning});
    }
    // Nothing found leaves the field empty and the button off until the owner
    // types an address: a mail without one would be refused.
    m_controls.enable(IDC_CREATE, createAllowed());
}

std::optional<QByteArrayList> CommandTabs::chooseBounces(BounceTally tally)
{
    const CommonSettings &settings = m_host.commonSettings();
    CBounceSummaryDlg dialog(m_ui, &m_widget);
    dialog.m_tally = std::move(tally);
    dialog.m_nMinDays = settings.BounceMinDays;
    dialog.m_nWithin = settings.BounceWithin;
    if (m_ui.runModal(dialog) != DialogAnswer::Ok)
        return std::nullopt;
    // Thresholds the owner changed are the next summary's and the fetch's.
    if (dialog.m_nMinDays != quint32(settings.bounceMinDays()) ||
        dialog.m_nWithin != quint32(settings.bounceWithin()))
        m_host.storeBounceThresholds(dialog.m_nMinDays, dialog.m_nWithin);
    return dialog.m_checked;
}

void CommandTabs::handOverConfig(const QString &path)
{
    const MailingListEntry *entry = m_host.selectedEntry();
    if (!entry)
        return;
    CFileRenameDlg dialog(m_ui, &m_widget);
    dialog.m_strSource = path;
    dialog.m_strNewName = QString::fromLocal8Bit(entry->ConfigFile);
    dialog.m_strDefExt = QStringLiteral("*.conf");
    dialog.m_strFilter = QCoreApplication::translate(
        "CommandTabs", "config ﾌｧｲﾙ(*.conf)|*.conf|全てのﾌｧｲﾙ (*.*)|*.*||");
    // Cancelled, nothing was copied: rewriting the file under the new name
    // would change a file the owner chose not to replace.
    if (m_ui.runModal(dialog) != DialogAnswer::Ok)
        return;
    m_host.argumentField() = dialog.m_strNewName;
    // A reply of the list server becomes a plain config file; a file left as
    // the reply would be sent whole as the list's config.
    MajordomoConfig config;
    QString error;
    if (!config.Load(dialog.m_strNewName, &error) || !config.Save(&error))
        m_ui.messageBox(&m_widget,
                        QCoreApplication::translate("CommandTabs",
                                                    "%1 を config ファイルにできませんでした\n%2")
                            .arg(QDir::toNativeSeparators(dialog.m_strNewName), error),
                        applicationName(), MessageButtons::Ok, MessageIcon::Stop);
}

void CommandTabs::onCreate()
{
    m_host.TakeFieldValues();
    const MailingListEntry *entry = m_host.selectedEntry();
    const std::optional<CommandKind> kind = CommandKindFromTab(currentTab());
    if (!entry || !kind) {
        m_ui.showMessage(&m_widget, CommandNotComposedMessage());
        return;
    }
    // A file tab's field shows the list's file: its stored bytes go into the
    // mail unless the owner typed another name.
    QByteArray argument = m_host.argumentField().toLocal8Bit();
    if (QByteArray MailingListEntry::*file = commandTab(*kind).file;
        file && m_host.argumentField() == QString::fromLocal8Bit(entry->*file))
        argument = entry->*file;
    const CommonSettings &settings = m_host.commonSettings();
    const QueueResult result =
        QueueCommand(settings.outgoingFolder(), *kind, MakeCommandInput(*entry, settings, argument),
                     QDateTime::currentDateTime());
    if (!result.ok()) {
        m_ui.showMessage(&m_widget, *result.failure);
        return;
    }
    m_host.RecountQueued();
    if (result.notice)
        m_ui.showMessage(&m_widget, *result.notice);
}

void CommandTabs::onQueue()
{
    CQueuedMailDlg dialog(m_ui, &m_widget);
    dialog.m_strFolder = m_host.commonSettings().outgoingFolder();
    dialog.m_strEditer = m_host.commonSettings().Editer;
    m_ui.runModal(dialog);
    if (dialog.m_bChanged)
        m_host.RecountQueued();
}

void CommandTabs::onExtract()
{
    m_host.TakeFieldValues();
    CMailSelectDlg dialog(m_ui, &m_widget);
    if (m_ui.runModal(dialog) != DialogAnswer::Ok)
        return;
    // The mails chosen are read as dropped ones are.
    extractAddresses(dialog.fileNames());
}

void CommandTabs::onEdit()
{
    const CommandTab *tab = commandTab(currentTab());
    if (!tab || !tab->editShown)
        return;
    if (tab->kind == CommandKind::NewConfig) {
        EditConfigFile(m_ui, &m_widget, m_controls.text(IDC_ARGUMENT));
        return;
    }
    if (const std::optional<UserMessage> failure =
            StartEditor(m_host.commonSettings().Editer, m_controls.text(IDC_ARGUMENT)))
        m_ui.showMessage(&m_widget, *failure);
}

void CommandTabs::onBrowse()
{
    const CommandTab *tab = commandTab(currentTab());
    if (!tab || !tab->browseFilter)
        return;
    m_host.TakeFieldValues();
    const std::optional<QString> chosen = m_ui.openFileName(
        &m_widget, {QString(), QString::fromUtf8(tab->browseExtension), m_host.argumentField(),
                    QCoreApplication::translate(kCommandTableContext, tab->browseFilter),
                    FileDialogFlag::HideReadOnly | FileDialogFlag::OverwritePrompt});
    if (!chosen)
        return;
    m_host.argumentField() = *chosen;
    // The field's text update stores another path as the list's file and
    // raises the dirty flag; the same file chosen again changes nothing.
    m_host.ShowValues();
}

void CommandTabs::onRoster()
{
    const MailingListEntry *entry = m_host.selectedEntry();
    if (!entry)
        return;
    const RosterStore store(RosterStore::defaultFolder());
    const QString caption = QCoreApplication::translate("CommandTabs", "会員一覧");
    QString error;
    const std::optional<Roster> roster = store.load(*entry, false, &error);
    if (!roster) {
        m_ui.messageBox(&m_widget,
                        error.isEmpty() ? QCoreApplication::translate(
                                              "CommandTabs",
                                              "会員一覧はまだありません\n"
                                              "会員一覧のｺﾏﾝﾄﾞﾒｰﾙを送り、返信をﾄﾞﾛｯﾌﾟしてください")
                                        : error,
                        caption, MessageButtons::Ok, MessageIcon::Information);
        return;
    }
    CRosterDlg dialog(m_ui, &m_widget);
    dialog.m_roster = *roster;
    dialog.m_previous = store.load(*entry, true);
    if (m_ui.runModal(dialog) != DialogAnswer::Ok || dialog.m_unsubscribe.isEmpty())
        return;
    // The chosen addresses go to the forced-unsubscribe field, as that field
    // takes them: joined by commas.
    fillAddresses(int(CommandKind::ForcedUnsubscribe), JoinAddresses(dialog.m_unsubscribe));
}
