#include "main/WindowFetch.h"

#include "dialogs/FetchSummaryDlg.h"
#include "main/CommandTabs.h"
#include "main/MainWindowHost.h"
#include "main/ServerReplies.h"
#include "main/StatusDlg.h"
#include "resources/ResourceIds.h"
#include "send/SendMessages.h"
#include "store/AppRegistry.h"
#include "store/DataFolder.h"
#include "store/FetchSettings.h"
#include "store/SettingsStore.h"
#include "ui/UiServices.h"

#include <QAbstractButton>
#include <QCoreApplication>

WindowFetch::WindowFetch(MainWindowHost &window, CommandTabs &tabs, UiServices &ui)
    : m_window(window), m_tabs(tabs), m_ui(ui)
{
    m_worker.onProgress = [this](const QString &line) {
        if (m_status)
            m_status->SetStatusLine2(line);
    };
    m_worker.onFinished = [this](const FetchSummary &summary) { onFinished(summary); };
}

WindowFetch::~WindowFetch() = default;

void WindowFetch::fetch()
{
    if (m_worker.isRunning())
        return;
    FetchSettings settings;
    {
        CAppRegistry store;
        LoadFetchSettings(store, settings);
    }
    if (settings.Server.isEmpty() || settings.UserName.isEmpty()) {
        m_ui.showMessage(&m_window.hostWidget(),
                         UserMessage{QCoreApplication::translate(
                                         "WindowFetch", "共通設定の「受信設定」でIMAPｻｰﾊﾞｰ名と"
                                                        "ﾕｰｻﾞｰ名を設定してください"),
                                     QString(), UserMessage::Icon::Warning});
        return;
    }
    FetchRequest request;
    QString error;
    request.dataFolder = DataFolder(&error);
    if (request.dataFolder.isEmpty()) {
        m_ui.showMessage(&m_window.hostWidget(),
                         UserMessage{error, QString(), UserMessage::Icon::Stop});
        return;
    }
    request.server = settings.Server;
    request.port = settings.Port;
    request.security = settings.Security == 1 ? ImapSecurity::StartTls : ImapSecurity::ImplicitTls;
    request.user = settings.UserName;
    const Keyring::Read password = FetchPassword(settings);
    if (!password.ok()) {
        m_ui.showMessage(&m_window.hostWidget(),
                         UserMessage{password.error, QString(), UserMessage::Icon::Stop});
        return;
    }
    request.password = password.value;
    request.folder = QString::fromLocal8Bit(settings.Folder);
    request.moveTo = QString::fromLocal8Bit(settings.MoveTo);
    request.deadlines = deadlines;
    request.lists = m_lists = m_window.lists();

    using namespace StatusIds;
    if (!m_status) {
        m_status = std::make_unique<CStatusDlg>(m_ui.dialUp(), *this, &m_window.hostWidget());
        m_status->setText(IDC_CANCELSEND, QCoreApplication::translate("WindowFetch", "受信ｷｬﾝｾﾙ"));
    }
    m_status->showControl(IDC_KEEPCONNECTION, false);
    m_status->showControl(IDC_CANCELSEND, true);
    m_status->show();
    m_status->SetStatusLine1(QCoreApplication::translate("WindowFetch", "ﾒｰﾙを受信しています"));
    m_status->SetStatusLine2(QString());
    m_window.controls().enable(MainIds::IDC_FETCH, false);
    m_worker.start(request);
}

bool WindowFetch::event(QEvent *event)
{
    if (event->type() != PostedMessageEvent::eventType())
        return QObject::event(event);
    if (static_cast<PostedMessageEvent *>(event)->message == SendMsg::RunCancel &&
        m_worker.isRunning()) {
        m_worker.cancel();
        if (m_status)
            m_status->SetStatusLine1(
                QCoreApplication::translate("WindowFetch", "受信をｷｬﾝｾﾙしています"));
    }
    return true;
}

void WindowFetch::onFinished(const FetchSummary &summary)
{
    m_window.controls().enable(MainIds::IDC_FETCH, true);
    if (m_status) {
        m_status->showControl(StatusIds::IDC_CANCELSEND, false);
        m_status->SetStatusLine1(
            summary.ok ? QCoreApplication::translate("WindowFetch", "受信を完了しました")
                       : summary.error.section(u'\n', 0, 0));
        if (summary.ok)
            m_status->hide();
    }
    if (!summary.ok)
        m_ui.showMessage(m_status && m_status->isVisible() ? static_cast<QWidget *>(m_status.get())
                                                           : &m_window.hostWidget(),
                         UserMessage{summary.error, QString(), UserMessage::Icon::Stop});
    // What was read before a failure is kept: the owner sees it too.
    if (!summary.ok && summary.read == 0)
        return;
    CFetchSummaryDlg dialog(FetchCountsText(summary), FetchReportRows(summary, m_lists),
                            &m_window.hostWidget());
    m_ui.runModal(dialog);
    if (!dialog.m_chosen)
        return;
    const FetchReportRow &row = *dialog.m_chosen;
    if (dialog.m_action == CFetchSummaryDlg::Action::Results) {
        const FetchedMail &mail = summary.replies.at(row.reply);
        ShowReplyResults(
            m_window, m_ui,
            AppliedReply{mail.sorted.reply, mail.rosters, mail.noticeApplied, mail.noticeWhy});
        return;
    }
    // The list the line is about, when the register still holds it there.
    if (row.list >= 0 && row.list < m_lists.size() && row.list < m_window.lists().size() &&
        m_window.lists().at(row.list) == m_lists.at(row.list) &&
        m_window.selectedEntry() != &m_window.lists().at(row.list))
        m_window.SelectList(row.list);
    // The roster opens as the member-list tab's button opens it.
    auto *roster =
        qobject_cast<QAbstractButton *>(m_window.controls().control(MainIds::IDC_ROSTER));
    if (dialog.m_action == CFetchSummaryDlg::Action::Roster && roster)
        roster->click();
    else if (dialog.m_action == CFetchSummaryDlg::Action::HandOver)
        m_tabs.fillAddresses(row.tab, row.addresses.join(','));
}

void WindowFetch::closeStatusWindow()
{
    m_worker.cancel();
    m_status.reset();
}
