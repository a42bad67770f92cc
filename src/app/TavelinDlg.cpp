#include "TavelinDlg.h"

#include "AboutDlg.h"
#include "TitleDlg.h"
#include "commands/UserMessage.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "store/AppRegistry.h"
#include "store/SettingsStore.h"
#include "ui/UiServices.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>

namespace {

enum ControlId : int
{
    IDC_LIST = 1004,
    IDC_ADD = 1006,
    IDC_RENAME = 1008,
    IDC_DELETE = 1010,
    IDC_SAVE = 1013,
    IDC_COMMON = 1016,
    IDC_ADDRESS = 1019,
    IDC_LISTNAME = 1023,
    IDC_PASSWD = 1028,
    IDC_TAB = 1037,
    IDC_CREATE = 1060,
    IDC_COUNT = 1063,
    IDC_QUEUE = 1066,
    IDC_SENDALL = 1070,
    IDC_BROWSE = 1077,
    IDC_EDIT = 1081,
    IDC_EXTRACT = 1084,
    IDC_ARGUMENT = 1167,
    IDC_LABEL = 1168,
};

// The command tabs in command order, and whether a file dropped while the tab
// shows is taken: the address tabs read it for addresses, the file tabs take
// it as the list's file.
struct TabRow
{
    const char *label;
    bool acceptsDrops;
};
// clang-format off
constexpr TabRow kTabs[] = {
    {"強制退会", true},     {"強制入会", true},  {"ﾊﾟｽﾜｰﾄﾞ変更", false}, {"会員一覧", false},
    {"Info変更", true},     {"Intro変更", true}, {"config 取得", false}, {"config 変更", true},
};
// clang-format on
constexpr int kTabForcedUnsubscribe = 0;
constexpr int kTabForcedSubscribe = 1;
constexpr int kTabNewConfig = 7;

QStringList localFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime)
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

CTavelinDlg::CTavelinDlg(UiServices &ui, QStringList arguments, QWidget *parent)
    : TemplateDialog(IDD_TAVELIN_DIALOG, parent), m_ui(ui), m_arguments(std::move(arguments))
{
    auto clicked = [this](int id, void (CTavelinDlg::*handler)()) {
        connect(item<QPushButton>(id), &QPushButton::clicked, this, handler);
    };
    clicked(IDC_ADD, &CTavelinDlg::OnAddList);
    clicked(IDC_RENAME, &CTavelinDlg::OnRenameList);
    clicked(IDC_DELETE, &CTavelinDlg::OnDeleteList);
    clicked(IDC_SAVE, &CTavelinDlg::OnSaveSettings);
    clicked(IDC_COMMON, &CTavelinDlg::OnCommonSettings);
    clicked(IDC_CREATE, &CTavelinDlg::OnCreateCommandMail);
    clicked(IDC_QUEUE, &CTavelinDlg::OnQueuedMails);
    clicked(IDC_SENDALL, &CTavelinDlg::OnSendAll);
    clicked(IDC_EXTRACT, &CTavelinDlg::OnExtractButton);
    clicked(IDC_EDIT, &CTavelinDlg::OnEditFile);
    clicked(IDC_BROWSE, &CTavelinDlg::OnBrowseFile);
    // Only the owner's choice counts as a selection change; the window's own
    // selections run SelectList themselves.
    connect(item<QComboBox>(IDC_LIST), &QComboBox::activated, this, &CTavelinDlg::OnSelchangeList);
    connect(item<QTabWidget>(IDC_TAB), &QTabWidget::currentChanged, this,
            &CTavelinDlg::OnSelchangeTab);
    connect(item<QLineEdit>(IDC_ADDRESS), &QLineEdit::textChanged, this,
            [this] { OnUpdateField(&MailingListEntry::Address, IDC_ADDRESS); });
    connect(item<QLineEdit>(IDC_LISTNAME), &QLineEdit::textChanged, this,
            [this] { OnUpdateField(&MailingListEntry::ListName, IDC_LISTNAME); });
    connect(item<QLineEdit>(IDC_PASSWD), &QLineEdit::textChanged, this,
            [this] { OnUpdateField(&MailingListEntry::Passwd, IDC_PASSWD); });
    connect(item<QLineEdit>(IDC_ARGUMENT), &QLineEdit::textChanged, this,
            [this] { OnUpdateArgument(); });
}

CTavelinDlg::~CTavelinDlg()
{
    OnDestroy();
}

void CTavelinDlg::OnInitDialog()
{
    ShowValues();

    auto *tabs = item<QTabWidget>(IDC_TAB);
    {
        const QSignalBlocker blocker(tabs);
        for (const TabRow &tab : kTabs)
            tabs->addTab(new QWidget(tabs), QString::fromUtf8(tab.label));
    }

    const QString aboutItem = loadString(IDS_ABOUTBOX);
    if (!aboutItem.isEmpty()) {
        m_systemMenu = new QMenu(this);
        m_systemMenu->addAction(aboutItem, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
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
        m_ui.messageBox(this,
                        QStringLiteral("設定を読み込めません。終了するまで設定を保存しません\n%1")
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
        SelectTab(kTabForcedUnsubscribe);
        SelectList(0);
        OnSelchangeTab();
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
        // Each changed field stores itself back and raises the dirty flag.
        ShowValues();
        selected = true;
    } else {
        // As the platform's list does, a failed selection clears the selection.
        const QSignalBlocker blocker(selector);
        selector->setCurrentIndex(-1);
        m_nSel = -1;
    }

    for (int id : {IDC_RENAME, IDC_DELETE, IDC_ADDRESS, IDC_LISTNAME, IDC_PASSWD, IDC_TAB,
                   IDC_ARGUMENT, IDC_EXTRACT, IDC_EDIT, IDC_BROWSE})
        enable(id, selected);
    showControl(IDC_ARGUMENT, selected);
    enable(IDC_CREATE, selected && !text(IDC_ARGUMENT).isEmpty());
    enable(IDC_QUEUE, selected && m_nCount != 0);
    enable(IDC_SENDALL, selected && m_nCount != 0);
}

void CTavelinDlg::OnUpdateField(QByteArray MailingListEntry::*field, int id)
{
    // A text that only shows the stored bytes leaves them as they are: bytes
    // the locale cannot show would not survive the way back.
    MailingListEntry *entry = selectedEntry();
    const QString shown = text(id);
    if (entry && shown != QString::fromLocal8Bit(entry->*field))
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
    int tab;
    if (startsWith("unsub", 5))
        tab = kTabForcedUnsubscribe;
    else if (startsWith("subs", 4))
        tab = kTabForcedSubscribe;
    else if (startsWith("conf", 4))
        tab = kTabNewConfig;
    else
        return false;
    SelectTab(tab);
    OnSelchangeTab();
    HandleMailFile(m_arguments.at(3));
    return true;
}

void CTavelinDlg::SelectTab(int tab)
{
    auto *tabs = item<QTabWidget>(IDC_TAB);
    const QSignalBlocker blocker(tabs);
    tabs->setCurrentIndex(tab);
}

void CTavelinDlg::OnSelchangeTab()
{
    const int tab = item<QTabWidget>(IDC_TAB)->currentIndex();
    if (tab >= 0 && tab < int(std::size(kTabs)))
        setAcceptDrops(kTabs[tab].acceptsDrops);
    ApplyTabLayout(tab);
}

void CTavelinDlg::HandleMailFile(const QString &path)
{
    if (!selectedEntry())
        return;
    const int tab = item<QTabWidget>(IDC_TAB)->currentIndex();
    if (tab == kTabForcedUnsubscribe || tab == kTabForcedSubscribe)
        ExtractAddresses(path);
    else if (tab == kTabNewConfig)
        HandOverConfig(path);
    ShowValues();
}

void CTavelinDlg::OnDropFiles(const QStringList &paths)
{
    TakeFieldValues();
    if (!paths.isEmpty())
        HandleMailFile(paths.constFirst());
}

void CTavelinDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CTavelinDlg::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
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
    const QString question =
        QString::fromLocal8Bit(selected->Title) + QStringLiteral("を削除していいですか");
    if (m_ui.messageBox(this, question, QStringLiteral("ＭＬ削除"), MessageButtons::OkCancel,
                        MessageIcon::Question) != DialogAnswer::Ok)
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
    m_ui.messageBox(this, QStringLiteral("設定を保存できません\n%1").arg(reason), applicationName(),
                    MessageButtons::Ok, MessageIcon::Stop);
}

void CTavelinDlg::OnCommonSettings()
{
    CommonSettings edited = m_settings;
    if (!EditCommonSettings(edited))
        return;
    // All values are written, changed or not.
    m_settings = edited;
    QString reason = m_storeError;
    if (!reason.isEmpty() || !SaveCommonSettings(m_settings, &reason))
        ShowSaveFailure(reason);
}

void CTavelinDlg::RecountQueued()
{
    m_nCount = CountQueuedMails();
    setText(IDC_COUNT, QString::number(m_nCount));
    enable(IDC_QUEUE, m_nCount != 0);
    enable(IDC_SENDALL, m_nCount != 0);
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
    if (isDirty() && m_ui.messageBox(this, QStringLiteral("設定が変更されています\n保存しますか"),
                                     QStringLiteral("保存"), MessageButtons::OkCancel,
                                     MessageIcon::Question) == DialogAnswer::Ok)
        SaveRegisterOrSayWhy();
    CloseStatusWindow();
}

// Hooks, empty until their work is wired in.
void CTavelinDlg::ApplyTabLayout(int) {}
void CTavelinDlg::HandOverConfig(const QString &) {}
quint32 CTavelinDlg::CountQueuedMails()
{
    return m_nCount;
}
void CTavelinDlg::ExtractAddresses(const QString &) {}
bool CTavelinDlg::EditCommonSettings(CommonSettings &)
{
    return false;
}
void CTavelinDlg::OnUpdateArgument() {}
void CTavelinDlg::OnCreateCommandMail() {}
void CTavelinDlg::OnQueuedMails() {}
void CTavelinDlg::OnSendAll() {}
void CTavelinDlg::OnExtractButton() {}
void CTavelinDlg::OnEditFile() {}
void CTavelinDlg::OnBrowseFile() {}
void CTavelinDlg::CloseStatusWindow() {}
