#include "main/TavelinDlg.h"

#include "main/ServerReplies.h"

#include "commands/CommandTable.h"
#include "commands/OutgoingFolder.h"
#include "common/UserMessage.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/TitleDlg.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "send/DialUpBinding.h"
#include "sheets/CommonSheet.h"
#include "store/AppRegistry.h"
#include "store/FetchSettings.h"
#include "store/SettingsStore.h"
#include "ui/UiServices.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

using namespace MainIds;

CTavelinDlg::CTavelinDlg(UiServices &ui, QStringList arguments, QWidget *parent)
    : TemplateDialog(IDD_TAVELIN_DIALOG, parent), m_ui(ui), m_arguments(std::move(arguments)),
      m_tabs(*this, ui), m_sending(*this, ui), m_fetching(*this, m_tabs, ui)
{
    onClicked(IDC_ADD, this, &CTavelinDlg::OnAddList);
    onClicked(IDC_RENAME, this, &CTavelinDlg::OnRenameList);
    onClicked(IDC_DELETE, this, &CTavelinDlg::OnDeleteList);
    onClicked(IDC_SAVE, this, &CTavelinDlg::OnSaveSettings);
    onClicked(IDC_COMMON, this, &CTavelinDlg::OnCommonSettings);
    onClicked(IDC_SENDALL, this, [this] { m_sending.sendAll(); });
    onClicked(IDC_FETCH, this, [this] { m_fetching.fetch(); });
    // Only the owner's choice counts as a selection change; the window's own
    // selections run SelectList themselves.
    connect(item<QComboBox>(IDC_LIST), &QComboBox::activated, this, &CTavelinDlg::OnSelchangeList);
    // The count reads as the first word of "通 作成済" (1181): its digits
    // stand on the label's baseline. A label draws its text from its top; an
    // edit centres it, one pixel below its top when told to keep to the top.
    auto *count = item<QLineEdit>(IDC_COUNT);
    count->setAlignment(Qt::AlignRight | Qt::AlignTop);
    count->setTextMargins(0, -1, 0, 0);
    connect(item<QLineEdit>(IDC_ADDRESS), &QLineEdit::textChanged, this,
            [this] { updateEntryField(&MailingListEntry::Address, IDC_ADDRESS); });
    connect(item<QLineEdit>(IDC_LISTNAME), &QLineEdit::textChanged, this,
            [this] { updateEntryField(&MailingListEntry::ListName, IDC_LISTNAME); });
    connect(item<QLineEdit>(IDC_PASSWD), &QLineEdit::textChanged, this,
            [this] { updateEntryField(&MailingListEntry::Passwd, IDC_PASSWD); });
}

CTavelinDlg::~CTavelinDlg()
{
    OnDestroy();
}

void CTavelinDlg::OnInitDialog()
{
    ShowValues();

    m_tabs.addTabs();

    const QString aboutItem = loadString(IDS_ABOUTBOX);
    if (!aboutItem.isEmpty()) {
        // It stands in for the system menu, where a separator sets the
        // program's item apart from the window's own: closing is the one of
        // those a fixed-size dialog has (a separator opening a menu is not drawn).
        m_systemMenu = new QMenu(this);
        m_systemMenu->addAction(QCoreApplication::translate("CTavelinDlg", "閉じる(&C)"), this,
                                &QWidget::close);
        m_systemMenu->addSeparator();
        QAction *about =
            m_systemMenu->addAction(aboutItem, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
        // F1 opens it too, from anywhere in the window; the menu shows the key.
        about->setShortcut(QKeySequence::HelpContents);
        addAction(about);
    }

    setWindowIcon(resourceIcon(IDR_MAINFRAME));

    {
        CAppRegistry store;
        LoadCommonSettings(store, m_settings);
        m_lists = LoadRegister(store);
        m_storeError = store.readError();
    }
    // Started empty, a save would replace the owner's register.
    if (!m_storeError.isEmpty())
        m_ui.messageBox(
            this,
            QCoreApplication::translate("CTavelinDlg",
                                        "設定を読み込めません。終了するまで設定を保存しません\n%1")
                .arg(m_storeError),
            applicationName(), MessageButtons::Ok, MessageIcon::Stop);
    auto *selector = item<QComboBox>(IDC_LIST);
    {
        const QSignalBlocker blocker(selector);
        for (const MailingListEntry &entry : std::as_const(m_lists))
            selector->addItem(QString::fromLocal8Bit(entry.Title));
        selector->setCurrentIndex(-1);
    }

    RecountQueued();

    if (!TakeCommandLine()) {
        m_tabs.selectTab(int(CommandKind::ForcedUnsubscribe));
        SelectList(0);
        m_tabs.onTabChanged();
        // A file alone on the command line is handled as if dropped, once
        // the window is up.
        if (m_arguments.size() == 2)
            QTimer::singleShot(0, this, [this] { OnDropFiles({m_arguments.at(1)}); });
    }
}

void CTavelinDlg::TakeFieldValues()
{
    m_strAddress = text(IDC_ADDRESS);
    m_strListName = text(IDC_LISTNAME);
    m_strPasswd = text(IDC_PASSWD);
    m_strArgument = text(IDC_ARGUMENT);
    m_strLabel = text(IDC_LABEL);
    m_nSel = item<QComboBox>(IDC_LIST)->currentIndex();
}

void CTavelinDlg::ShowValues()
{
    setText(IDC_ADDRESS, m_strAddress);
    setText(IDC_LISTNAME, m_strListName);
    setText(IDC_PASSWD, m_strPasswd);
    setText(IDC_ARGUMENT, m_strArgument);
    setText(IDC_LABEL, m_strLabel);
    setText(IDC_COUNT, QString::number(m_nCount));
    auto *selector = item<QComboBox>(IDC_LIST);
    const QSignalBlocker blocker(selector);
    selector->setCurrentIndex(m_nSel < selector->count() ? m_nSel : -1);
}

MailingListEntry *CTavelinDlg::selectedEntry()
{
    const int position = item<QComboBox>(IDC_LIST)->currentIndex();
    return position >= 0 && position < m_lists.size() ? &m_lists[position] : nullptr;
}

void CTavelinDlg::SelectList(int position)
{
    auto *selector = item<QComboBox>(IDC_LIST);
    bool selected = false;
    if (position >= 0 && position < selector->count() && position < m_lists.size()) {
        {
            const QSignalBlocker blocker(selector);
            selector->setCurrentIndex(position);
        }
        TakeFieldValues();
        const MailingListEntry &entry = m_lists.at(position);
        m_strAddress = QString::fromLocal8Bit(entry.Address);
        m_strListName = QString::fromLocal8Bit(entry.ListName);
        m_strPasswd = QString::fromLocal8Bit(entry.Passwd);
        ShowValues();
        selected = true;
    } else {
        // As the platform's list does, a failed selection clears the selection.
        const QSignalBlocker blocker(selector);
        selector->setCurrentIndex(-1);
        m_nSel = -1;
    }

    enable({IDC_RENAME, IDC_DELETE, IDC_ADDRESS, IDC_LISTNAME, IDC_PASSWD}, selected);
    m_tabs.onListSelected(selected);
    // A run holds these buttons until its end gives them back.
    enable({IDC_QUEUE, IDC_SENDALL}, !m_sending.holdsRunButtons() && selected && m_nCount != 0);
}

void CTavelinDlg::updateEntryField(QByteArray MailingListEntry::*field, int id)
{
    // A text that only shows the stored bytes leaves them as they are: bytes
    // the locale cannot show would not survive the way back. Nor is it an
    // edit: showing a list's values (at start, on another list or tab) leaves
    // nothing to save.
    MailingListEntry *entry = selectedEntry();
    const QString shown = text(id);
    if (!entry || shown == QString::fromLocal8Bit(entry->*field))
        return;
    entry->*field = shown.toLocal8Bit();
    raiseDirty();
}

bool CTavelinDlg::TakeCommandLine()
{
    // The program name, the command word, the list title, the file.
    if (m_arguments.size() < 4)
        return false;
    const QByteArray title = m_arguments.at(2).toLocal8Bit();
    qsizetype position = 0;
    while (position < m_lists.size() && m_lists.at(position).Title != title)
        ++position;
    if (position == m_lists.size())
        return false;
    SelectList(int(position));

    const QString word = m_arguments.at(1);
    const auto startsWith = [&word](const char *prefix, qsizetype length) {
        return word.left(length).compare(QLatin1String(prefix), Qt::CaseInsensitive) == 0;
    };
    CommandKind kind;
    if (startsWith("unsub", 5))
        kind = CommandKind::ForcedUnsubscribe;
    else if (startsWith("subs", 4))
        kind = CommandKind::ForcedSubscribe;
    else if (startsWith("conf", 4))
        kind = CommandKind::NewConfig;
    else
        return false;
    m_tabs.selectTab(int(kind));
    m_tabs.onTabChanged();
    HandleMailFile(m_arguments.at(3));
    return true;
}

void CTavelinDlg::HandleMailFile(const QString &path)
{
    if (OpenServerReply(*this, m_ui, path))
        return;
    if (!selectedEntry())
        return;
    m_tabs.handleFile(path);
    ShowValues();
}

void CTavelinDlg::OnDropFiles(const QStringList &paths)
{
    TakeFieldValues();
    if (paths.size() == 1)
        return HandleMailFile(paths.constFirst());
    // Several returned mails (or folders, mbox files) are read together.
    if (paths.isEmpty() || !selectedEntry())
        return;
    m_tabs.handleFiles(paths);
    ShowValues();
}

void CTavelinDlg::dragEnterEvent(QDragEnterEvent *event)
{
    acceptFileDrag(event);
}

void CTavelinDlg::dropEvent(QDropEvent *event)
{
    const QStringList paths = takeFileDrop(event);
    if (!paths.isEmpty())
        OnDropFiles(paths);
}

void CTavelinDlg::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_systemMenu)
        m_systemMenu->popup(event->globalPos());
}

void CTavelinDlg::OnSysCommand(int id)
{
    if (id != IDM_ABOUTBOX)
        return;
    CAboutDlg about(this);
    m_ui.runModal(about);
}

void CTavelinDlg::OnAddList()
{
    CTitleDlg dialog(this);
    if (m_ui.runModal(dialog) != DialogAnswer::Ok)
        return;
    MailingListEntry entry;
    entry.Title = dialog.m_strTitle.toLocal8Bit();
    const qsizetype position = insertSorted(m_lists, entry);
    auto *selector = item<QComboBox>(IDC_LIST);
    {
        const QSignalBlocker blocker(selector);
        selector->insertItem(int(position), dialog.m_strTitle);
    }
    SelectList(int(position));
    SaveRegisterOrSayWhy();
}

void CTavelinDlg::OnRenameList()
{
    TakeFieldValues();
    MailingListEntry *selected = selectedEntry();
    if (!selected)
        return;
    CTitleDlg dialog(this);
    dialog.m_strTitle = QString::fromLocal8Bit(selected->Title);
    if (m_ui.runModal(dialog) != DialogAnswer::Ok)
        return;
    // The record moves with the title to the title's sorted position.
    MailingListEntry entry = m_lists.takeAt(m_nSel);
    entry.Title = dialog.m_strTitle.toLocal8Bit();
    const qsizetype position = insertSorted(m_lists, entry);
    auto *selector = item<QComboBox>(IDC_LIST);
    {
        const QSignalBlocker blocker(selector);
        selector->removeItem(m_nSel);
        selector->insertItem(int(position), dialog.m_strTitle);
        selector->setCurrentIndex(int(position));
    }
    SelectList(int(position));
    SaveRegisterOrSayWhy();
}

void CTavelinDlg::OnDeleteList()
{
    TakeFieldValues();
    const MailingListEntry *selected = selectedEntry();
    if (!selected)
        return;
    const QString question = QCoreApplication::translate("CTavelinDlg", "%1を削除していいですか")
                                 .arg(QString::fromLocal8Bit(selected->Title));
    if (m_ui.messageBox(this, question, QCoreApplication::translate("CTavelinDlg", "ＭＬ削除"),
                        MessageButtons::OkCancel, MessageIcon::Question) != DialogAnswer::Ok)
        return;
    m_lists.removeAt(m_nSel);
    {
        auto *selector = item<QComboBox>(IDC_LIST);
        const QSignalBlocker blocker(selector);
        selector->removeItem(m_nSel);
    }
    SaveRegisterOrSayWhy();
    SelectList(-1);
}

void CTavelinDlg::OnSelchangeList()
{
    TakeFieldValues();
    SelectList(item<QComboBox>(IDC_LIST)->currentIndex());
}

void CTavelinDlg::OnSaveSettings()
{
    if (SaveRegisterOrSayWhy())
        enable(IDC_SAVE, false);
}

bool CTavelinDlg::SaveRegisterOrSayWhy()
{
    QString reason = m_storeError;
    if (reason.isEmpty() && SaveRegister(m_lists, &reason))
        return true;
    ShowSaveFailure(reason);
    raiseDirty();
    return false;
}

void CTavelinDlg::ShowSaveFailure(const QString &reason)
{
    m_ui.messageBox(
        this, QCoreApplication::translate("CTavelinDlg", "設定を保存できません\n%1").arg(reason),
        applicationName(), MessageButtons::Ok, MessageIcon::Stop);
}

void CTavelinDlg::OnCommonSettings()
{
    FetchSettings fetch;
    {
        CAppRegistry store;
        LoadFetchSettings(store, fetch);
    }
    CCommonSheet sheet(m_ui, m_settings, dialUpEntries(), this, fetch);
    if (m_ui.runModal(sheet) != DialogAnswer::Ok)
        return;
    // All values are written, changed or not.
    m_settings = sheet.m_settings;
    QString reason = m_storeError;
    if (!reason.isEmpty() || !SaveCommonSettings(m_settings, &reason) ||
        !SaveFetchSettings(sheet.m_fetch, &reason))
        ShowSaveFailure(reason);
    // The window works with the new values at once: the count is the new folder's.
    RecountQueued();
}

void CTavelinDlg::storeBounceThresholds(quint32 minDays, quint32 within)
{
    m_settings.BounceMinDays = minDays;
    m_settings.BounceWithin = within;
    QString reason = m_storeError;
    if (!reason.isEmpty() || !SaveBounceThresholds(m_settings, &reason))
        ShowSaveFailure(reason);
}

bool CTavelinDlg::isDirty() const
{
    return isEnabled(IDC_SAVE);
}

void CTavelinDlg::raiseDirty()
{
    enable(IDC_SAVE, true);
}

void CTavelinDlg::RecountQueued()
{
    m_nCount = quint32(OutgoingFolder::CountQueued(m_settings.outgoingFolder()));
    setText(IDC_COUNT, QString::number(m_nCount));
    enable({IDC_QUEUE, IDC_SENDALL}, !m_sending.holdsRunButtons() && m_nCount != 0);
}

QStringList CTavelinDlg::dialUpEntries()
{
    return m_ui.dialUp().entryNames();
}

void CTavelinDlg::done(int result)
{
    OnDestroy();
    TemplateDialog::done(result);
}

void CTavelinDlg::OnDestroy()
{
    // Every way of closing ends here once; closing cannot be cancelled.
    if (m_destroyed)
        return;
    m_destroyed = true;
    if (isDirty() &&
        m_ui.messageBox(
            this,
            QCoreApplication::translate("CTavelinDlg", "設定が変更されています\n保存しますか"),
            QCoreApplication::translate("CTavelinDlg", "保存"), MessageButtons::OkCancel,
            MessageIcon::Question) == DialogAnswer::Ok)
        SaveRegisterOrSayWhy();
    m_sending.closeStatusWindow();
    m_fetching.closeStatusWindow();
}
