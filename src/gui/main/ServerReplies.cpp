#include "main/ServerReplies.h"

#include "commands/CommandTable.h"
#include "commands/Roster.h"
#include "dialogs/ReplyResultsDlg.h"
#include "main/BackgroundRead.h"
#include "main/MainWindowHost.h"
#include "resources/ResourceIds.h"
#include "ui/TemplateControls.h"
#include "ui/UiServices.h"

#include <QCoreApplication>

namespace {

bool isConfigReply(const ServerReply &reply)
{
    return std::any_of(reply.commands.cbegin(), reply.commands.cend(), [](const ReplyCommand &c) {
        return c.kind == CommandKind::GetConfig && c.status == ReplyStatus::Ok;
    });
}

} // namespace

bool OpenServerReply(MainWindowHost &window, UiServices &ui, const QString &path)
{
    const RosterStore store(RosterStore::defaultFolder());
    const ListRegister lists = window.lists();
    AppliedReply applied;
    // A reply may be large (a long member list): it is read on a worker
    // thread while the window goes on. A cancelled read has done what it
    // did (a roster may be stored) and shows nothing.
    const bool read = RunWithProgress(
        &window.hostWidget(), QCoreApplication::translate("ServerReplies", "返信を読んでいます..."),
        [&](const MailBatch::Progress &) {
            applied = ApplyServerReply(path, lists, &store);
            return true;
        });
    if (!read)
        return true;
    const ServerReply &reply = applied.reply;
    if (!reply.isResults())
        return false;
    const CommandTab *tab = commandTab(window.currentTab());
    if (tab && tab->handsOverConfig && isConfigReply(reply))
        return false;
    ShowReplyResults(window, ui, applied);
    return true;
}

void ShowReplyResults(MainWindowHost &window, UiServices &ui, const AppliedReply &applied)
{
    const ServerReply &reply = applied.reply;
    CReplyResultsDlg dialog(&window.hostWidget());
    dialog.m_reply = reply;
    QByteArray list;
    for (const ReplyCommand &command : reply.commands) {
        if (!command.list.isEmpty()) {
            list = command.list;
            break;
        }
    }
    const qsizetype registered = FindRegisteredList(window.lists(), reply.from, list);
    dialog.m_strList = registered >= 0
                           ? QStringLiteral("%1 (%2)").arg(
                                 QString::fromLocal8Bit(window.lists().at(registered).Title),
                                 QString::fromLocal8Bit(list))
                           : QString::fromLocal8Bit(list + ' ' + reply.from).trimmed();
    for (const AppliedReply::Stored &roster : applied.rosters)
        dialog.m_notes.append(
            roster.stored
                ? QCoreApplication::translate("ServerReplies", "会員一覧を保存しました")
                : QCoreApplication::translate("ServerReplies", "会員一覧は保存していません: %1")
                      .arg(roster.why));
    if (reply.partial)
        dialog.m_notes.append(
            QCoreApplication::translate("ServerReplies", "返信が途中で切れています"));
    ui.runModal(dialog);
    // A wrong password is fixed in the register: the list and its field.
    if (dialog.passwordFailed() && registered >= 0) {
        window.SelectList(int(registered));
        window.controls().control(MainIds::IDC_PASSWD)->setFocus();
    }
}
