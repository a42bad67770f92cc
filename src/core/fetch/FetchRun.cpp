#include "fetch/FetchRun.h"

#include "commands/BounceTally.h"
#include "fetch/BounceHistory.h"
#include "fetch/FetchState.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <memory>

namespace {

// UIDs fetched in one command: enough to keep the line busy, few enough
// that a failure loses little and a cancel is answered soon.
constexpr qsizetype kBatch = 100;
// A mail larger than this goes to a temporary file instead of memory.
constexpr qsizetype kInMemory = 4 * 1024 * 1024;
// UIDs named in one UID MOVE / COPY / STORE / EXPUNGE command.
constexpr qsizetype kMoveBatch = 500;

// A set of UIDs in IMAP's sequence-set syntax (RFC 3501 9): "1:3,7,9:12".
QByteArray uidSet(QList<quint32> uids)
{
    std::sort(uids.begin(), uids.end());
    QByteArray set;
    for (qsizetype i = 0; i < uids.size();) {
        qsizetype j = i;
        while (j + 1 < uids.size() && uids.at(j + 1) <= uids.at(j) + 1)
            ++j;
        if (!set.isEmpty())
            set += ',';
        set += QByteArray::number(uids.at(i));
        if (uids.at(j) != uids.at(i))
            set += ':' + QByteArray::number(uids.at(j));
        i = j + 1;
    }
    return set;
}

// The number after `word` in a response ("[UIDVALIDITY 3857529045]").
bool numberAfter(QByteArrayView text, QByteArrayView word, quint32 &value)
{
    const qsizetype at = text.toByteArray().toUpper().indexOf(word.toByteArray());
    if (at < 0)
        return false;
    qsizetype i = at + word.size();
    while (i < text.size() && text.at(i) == ' ')
        ++i;
    qsizetype end = i;
    while (end < text.size() && text.at(end) >= '0' && text.at(end) <= '9')
        ++end;
    bool ok = false;
    value = text.sliced(i, end - i).toByteArray().toUInt(&ok);
    return ok;
}

// The untagged responses of SELECT/EXAMINE and CAPABILITY.
class MailboxSink : public ImapResponseSink
{
public:
    void response(QByteArrayView text) override
    {
        numberAfter(text, "[UIDVALIDITY", uidValidity);
        if (text.startsWith("* CAPABILITY") || text.contains("[CAPABILITY")) {
            const QByteArrayList words = text.toByteArray().toUpper().split(' ');
            move = move || words.contains("MOVE");
            uidPlus = uidPlus || words.contains("UIDPLUS");
        }
    }
    quint32 uidValidity = 0;
    bool move = false;
    bool uidPlus = false;
};

// The UIDs of a UID SEARCH (RFC 3501 7.2.5).
class SearchSink : public ImapResponseSink
{
public:
    void response(QByteArrayView text) override
    {
        if (!text.startsWith("* SEARCH"))
            return;
        // Word by word in place: a folder of 100 000 mails answers in one line.
        for (QByteArrayView rest = text.sliced(8); !rest.isEmpty();) {
            const qsizetype blank = rest.indexOf(' ');
            const QByteArrayView word = blank < 0 ? rest : rest.first(blank);
            rest = blank < 0 ? QByteArrayView() : rest.sliced(blank + 1);
            bool ok = false;
            const quint32 uid = word.toUInt(&ok);
            if (ok && uid != 0)
                uids.append(uid);
        }
    }
    QList<quint32> uids;
};

// Where one fetched mail's bytes go: memory while it is small, a temporary
// file beyond, so a mailbox of any size costs a bounded amount of memory.
class MailSpool
{
public:
    void reset()
    {
        m_file.reset();
        m_bytes.clear();
        m_hash.reset();
        m_size = 0;
        m_failed = false;
    }

    void append(QByteArrayView bytes)
    {
        m_hash.addData(bytes);
        m_size += bytes.size();
        if (m_failed)
            return;
        if (!m_file && m_bytes.size() + bytes.size() > kInMemory) {
            m_file = std::make_unique<QTemporaryFile>();
            m_failed = !m_file->open() || m_file->write(m_bytes) != m_bytes.size();
            m_bytes.clear();
        }
        if (m_file)
            m_failed = m_failed || m_file->write(bytes.data(), bytes.size()) != bytes.size();
        else
            m_bytes.append(bytes);
    }

    // The mail, read from its start; null when the spool failed.
    QIODevice *device()
    {
        if (m_failed)
            return nullptr;
        if (m_file) {
            m_file->flush();
            m_file->seek(0);
            return m_file.get();
        }
        m_buffer.close();
        m_buffer.setData(m_bytes);
        m_buffer.open(QIODevice::ReadOnly);
        return &m_buffer;
    }

    QByteArray digest() const { return m_hash.result(); }
    qint64 size() const { return m_size; }

private:
    std::unique_ptr<QTemporaryFile> m_file;
    QByteArray m_bytes;
    QBuffer m_buffer;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    qint64 m_size = 0;
    bool m_failed = false;
};

// The FETCH responses of one batch: each BODY[] literal is spooled, and the
// mail is handed on once its response (with its UID) is complete.
class FetchSink : public ImapResponseSink
{
public:
    std::function<void(quint32 uid, MailSpool &spool)> handle;

    void literalBegin(qint64) override
    {
        m_spool.reset();
        m_hasBody = true;
    }
    void literalData(QByteArrayView bytes) override { m_spool.append(bytes); }
    void response(QByteArrayView text) override
    {
        const bool body = m_hasBody;
        m_hasBody = false;
        static const QRegularExpression fetch(QStringLiteral("^\\* \\d+ FETCH \\("),
                                              QRegularExpression::CaseInsensitiveOption);
        quint32 uid = 0;
        const QByteArray upper = text.toByteArray().toUpper();
        if (!fetch.match(QString::fromLatin1(upper.left(40))).hasMatch() ||
            !upper.contains("BODY[]") || !body || !numberAfter(text, "UID", uid))
            return;
        handle(uid, m_spool);
    }

private:
    MailSpool m_spool;
    bool m_hasBody = false;
};

QString readFailure(quint32 uid)
{
    return QCoreApplication::translate("FetchRun", "UID %1 のﾒｰﾙを読めませんでした").arg(uid);
}

} // namespace

FetchSummary FetchRun::run(const FetchRequest &request)
{
    FetchSummary summary;
    auto say = [this](const QString &line) {
        if (progress)
            progress(line);
    };
    auto stopped = [this] { return cancel && cancel->load(); };

    const QByteArray folder = ImapSession::mailboxArgument(request.folder);
    const QByteArray moveTo =
        request.moveTo.isEmpty() ? QByteArray() : ImapSession::mailboxArgument(request.moveTo);
    if (folder.isEmpty() || (!request.moveTo.isEmpty() && moveTo.isEmpty())) {
        summary.error = QCoreApplication::translate("FetchRun", "ﾌｫﾙﾀﾞ名が正しくありません");
        return summary;
    }
    FetchState state;
    if (!state.load(request.dataFolder, request.server, request.port, request.user, request.folder,
                    &summary.error))
        return summary;

    ImapSession session;
    session.deadlines = request.deadlines;
    session.cancelFlag = cancel;
    say(QCoreApplication::translate("SmtpSocket", "ホストに接続中"));
    if (!session.open(request.server, request.port, request.security, request.user,
                      request.password)) {
        summary.error = session.errorText();
        return summary;
    }
    say(QCoreApplication::translate("SmtpSocket", "ホストへの接続完了"));
    MailboxSink mailbox;
    // The read is read-only (EXAMINE, RFC 3501 6.3.2): no flag can change.
    if (session.command("CAPABILITY", mailbox) != ImapSession::Status::Ok ||
        session.command("EXAMINE " + folder, mailbox) != ImapSession::Status::Ok) {
        summary.error = session.errorText();
        return summary;
    }
    const quint32 validity = mailbox.uidValidity;
    summary.renumbered = state.uidValidity != 0 && state.uidValidity != validity;
    const quint32 from = state.uidValidity == validity ? state.highestUid + 1 : 1;
    if (state.uidValidity != validity) {
        state.uidValidity = validity;
        state.highestUid = 0;
    }

    SearchSink search;
    if (session.command("UID SEARCH UID " + QByteArray::number(from) + ":*", search) !=
        ImapSession::Status::Ok) {
        summary.error = session.errorText();
        return summary;
    }
    // "n:*" names the highest UID even when it is below n (RFC 3501 6.4.8).
    QList<quint32> uids;
    for (const quint32 uid : std::as_const(search.uids)) {
        if (uid >= from)
            uids.append(uid);
    }
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());

    QList<quint32> handled; // UIDs of the mails to move
    BounceHistory history(request.dataFolder);
    const RosterStore rosters(request.dataFolder + QStringLiteral("/rosters"));
    QHash<int, qsizetype> bounceIndex;       // list -> index in summary.bounces
    QHash<int, QSet<QByteArray>> bouncedNow; // list -> the addresses in its `bounced`
    QString applyError;
    int total = int(uids.size());

    auto handle = [&](quint32 uid, MailSpool &spool) -> bool {
        QIODevice *device = spool.device();
        if (!device)
            return false;
        FetchedMail mail;
        mail.uid = uid;
        mail.sorted = SortMail(*device, request.lists);
        const QByteArray key = FetchState::mailKey(mail.sorted.messageId.trimmed(), spool.digest());
        mail.known = state.known(key);
        ++summary.read;
        say(QCoreApplication::translate("FetchRun", "(%1/%2)通目を受信中")
                .arg(summary.read)
                .arg(total));
        const MailKind kind = mail.sorted.kind;
        if (!mail.known) {
            if (kind == MailKind::Reply || kind == MailKind::Notice) {
                device->seek(0);
                const AppliedReply applied = ApplyServerReply(*device, request.lists, &rosters);
                mail.rosters = applied.rosters;
                mail.noticeApplied = applied.noticeApplied;
                mail.noticeWhy = applied.noticeWhy;
                for (const AppliedReply::Stored &stored : applied.rosters) {
                    if (stored.stored && !summary.rostersChanged.contains(stored.title))
                        summary.rostersChanged.append(stored.title);
                }
                if (applied.noticeApplied && mail.sorted.list >= 0) {
                    const QString title =
                        QString::fromLocal8Bit(request.lists.at(mail.sorted.list).Title);
                    if (!summary.rostersChanged.contains(title))
                        summary.rostersChanged.append(title);
                }
            }
            if (kind == MailKind::Bounce) {
                const MailingListEntry *list =
                    mail.sorted.list >= 0 ? &request.lists.at(mail.sorted.list) : nullptr;
                QList<BounceRecord> records;
                for (qsizetype i = 0; i < mail.sorted.addresses.size(); ++i)
                    records.append({mail.sorted.addresses.at(i), mail.sorted.date,
                                    mail.sorted.reasons.value(i)});
                if (!history.append(list, records, &applyError))
                    return false;
                qsizetype &index = bounceIndex[mail.sorted.list];
                if (index == 0) {
                    summary.bounces.append({mail.sorted.list, {}, {}});
                    index = summary.bounces.size();
                }
                QByteArrayList &bounced = summary.bounces[index - 1].bounced;
                QSet<QByteArray> &listed = bouncedNow[mail.sorted.list];
                for (const QByteArray &address : std::as_const(mail.sorted.addresses)) {
                    if (!listed.contains(address)) {
                        listed.insert(address);
                        bounced.append(address);
                    }
                }
            }
            if (!state.remember(key, &applyError))
                return false;
            ++summary.counted[int(kind)];
            QList<FetchedMail> *listed = kind == MailKind::Reply      ? &summary.replies
                                         : kind == MailKind::Approval ? &summary.approvals
                                         : kind == MailKind::Notice   ? &summary.notices
                                                                      : nullptr;
            if (listed && listed->size() < FetchSummary::kMaxListed)
                listed->append(mail);
        } else {
            ++summary.known;
        }
        if (kind != MailKind::Other)
            handled.append(uid);
        if (onMail)
            onMail(mail);
        return true;
    };

    bool complete = true;
    for (qsizetype start = 0; start < uids.size() && complete; start += kBatch) {
        const QList<quint32> batch = uids.mid(start, kBatch);
        QSet<quint32> arrived;
        FetchSink sink;
        bool failedHere = false;
        sink.handle = [&](quint32 uid, MailSpool &spool) {
            if (failedHere || stopped() || arrived.contains(uid) || !batch.contains(uid))
                return;
            if (handle(uid, spool))
                arrived.insert(uid);
            else
                failedHere = true;
        };
        const ImapSession::Status status =
            session.command("UID FETCH " + uidSet(batch) + " (UID BODY.PEEK[])", sink);
        // The mark moves over the mails read without a gap; a mail read past
        // a gap is known by its key when it comes again.
        quint32 gap = 0;
        for (const quint32 uid : batch) {
            if (!arrived.contains(uid)) {
                gap = uid;
                break;
            }
            state.highestUid = uid;
        }
        if (!state.saveMark(&applyError)) {
            summary.error = applyError;
            complete = false;
            break;
        }
        if (stopped()) {
            summary.error = QCoreApplication::translate("FetchRun", "受信をキャンセルしました");
            complete = false;
        } else if (!applyError.isEmpty()) {
            summary.error = applyError;
            complete = false;
        } else if (status == ImapSession::Status::Failed) {
            summary.error = session.errorText();
            complete = false;
        } else if (gap != 0) {
            summary.error = readFailure(gap);
            if (status != ImapSession::Status::Ok)
                summary.error += u'\n' + session.errorText();
            complete = false;
        }
    }
    if (!state.saveMark(&applyError) && complete) {
        summary.error = applyError;
        complete = false;
    }

    // The thresholds over the whole history of each list that bounced now.
    for (FetchSummary::ListBounces &bounces : summary.bounces) {
        QString error;
        const MailingListEntry *list =
            bounces.list >= 0 ? &request.lists.at(bounces.list) : nullptr;
        BounceTally tally;
        if (!BounceHistory::forEach(
                history.pathOf(list),
                [&](const BounceRecord &record) {
                    tally.add({FailedRecipient{record.address, "", record.reason}}, record.date);
                },
                &error))
            continue;
        bounces.overThreshold = tally.addresses({request.minDays, request.withinDays});
    }

    if (!moveTo.isEmpty() && !handled.isEmpty() && !stopped()) {
        say(QCoreApplication::translate("FetchRun", "ﾒｰﾙを移動中"));
        QString moveError;
        // Only the mails read under this UIDVALIDITY are moved: a folder
        // renumbered since would give the UIDs to other mails.
        MailboxSink selected = mailbox;
        selected.uidValidity = 0;
        if (!session.isOpen() ||
            session.command("SELECT " + folder, selected) != ImapSession::Status::Ok) {
            moveError = session.errorText();
        } else if (selected.uidValidity != validity) {
            moveError = QCoreApplication::translate("FetchRun",
                                                    "ﾌｫﾙﾀﾞのUIDVALIDITYが変わったため移動しません");
        } else {
            for (qsizetype start = 0; start < handled.size() && moveError.isEmpty();
                 start += kMoveBatch) {
                const QList<quint32> part = handled.mid(start, kMoveBatch);
                const QByteArray set = uidSet(part);
                auto run = [&](const QByteArray &command) {
                    ImapSession::Status status = session.command(command);
                    // RFC 3501 7.1: [TRYCREATE] means the folder is missing.
                    if (status == ImapSession::Status::No &&
                        session.errorText().contains(QLatin1String("TRYCREATE")) &&
                        session.command("CREATE " + moveTo) == ImapSession::Status::Ok)
                        status = session.command(command);
                    return status == ImapSession::Status::Ok;
                };
                bool moved = false;
                if (mailbox.move) {
                    moved = run("UID MOVE " + set + ' ' + moveTo);
                } else if (mailbox.uidPlus) {
                    // RFC 4315 2.1: only these UIDs are expunged.
                    moved = run("UID COPY " + set + ' ' + moveTo) &&
                            run("UID STORE " + set + " +FLAGS.SILENT (\\Deleted)") &&
                            run("UID EXPUNGE " + set);
                } else {
                    // Without UIDPLUS an EXPUNGE would remove every mail
                    // marked deleted, not only these: they are copied only.
                    moved = false;
                    moveError = QCoreApplication::translate(
                        "FetchRun", "サーバーがMOVEにもUIDPLUSにも対応していないため、"
                                    "ﾒｰﾙを移動できません");
                    break;
                }
                if (!moved)
                    moveError = session.errorText();
                else
                    summary.moved += int(part.size());
            }
        }
        if (!moveError.isEmpty() && complete) {
            summary.error = moveError;
            complete = false;
        }
    }
    session.close();
    summary.ok = complete;
    say(complete ? QCoreApplication::translate("FetchRun", "受信を完了しました")
                 : summary.error.section(u'\n', 0, 0));
    return summary;
}
