#include "commands/Roster.h"

#include "commands/AddressExtraction.h"
#include "store/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <unordered_set>

namespace {

constexpr QByteArrayView kMagic = "Tavelin roster 1";
constexpr QByteArrayView kCrLf = "\r\n";

// A member's line may hold any byte but LF: tabs, CRs and backslashes are
// escaped so that each member is one line of the file.
bool needsEscape(char c)
{
    return c == '\\' || c == '\t' || c == '\r' || c == '\n';
}

QByteArray unescaped(QByteArrayView text)
{
    if (!text.contains('\\'))
        return text.toByteArray();
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const char n = text[++i];
        out += n == 't' ? '\t' : n == 'r' ? '\r' : n == 'n' ? '\n' : n;
    }
    return out;
}

void appendMemberRow(QByteArray &out, const RosterMember &member)
{
    out += member.valid ? "m\t1\t" : "m\t0\t";
    out += escapedField(member.address);
    out += '\t';
    out += escapedField(member.line);
    out += kCrLf;
}

QByteArray headerRows(const QByteArray &list, const QByteArray &server, const QDateTime &date)
{
    return kMagic.toByteArray() + kCrLf.toByteArray() + "list\t" + escapedField(list) +
           kCrLf.toByteArray() + "server\t" + escapedField(server) + kCrLf.toByteArray() +
           "date\t" + date.toString(Qt::ISODate).toLatin1() + kCrLf.toByteArray();
}

QByteArray countRow(qint64 count)
{
    return "count\t" + QByteArray::number(count) + kCrLf.toByteArray();
}

QString ensureFolder(const QString &folder)
{
    if (QDir(folder).exists())
        return {};
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create %1").arg(folder);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return {};
}

// The current roster becomes the previous one, the new file the current.
QString rotate(SafeFile::WholeFileWriter &writer, const QString &current, const QString &previous)
{
    if (QString failed = writer.finish(); !failed.isEmpty())
        return failed;
    if (QFileInfo::exists(current) && std::rename(QFile::encodeName(current).constData(),
                                                  QFile::encodeName(previous).constData()) != 0)
        return SafeFile::systemReason(errno);
    return writer.renameTo(current);
}

} // namespace

QByteArray escapedField(const QByteArray &text)
{
    if (std::none_of(text.begin(), text.end(), needsEscape))
        return text;
    QByteArray out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

qint64 Roster::validCount() const
{
    return std::count_if(members.cbegin(), members.cend(),
                         [](const RosterMember &m) { return m.valid; });
}

QList<RosterMember> JoinedSince(const Roster &before, const Roster &now)
{
    // Lower-case copies, looked up as views: Qt's hash of byte arrays costs
    // twice as much for a roster of a hundred thousand.
    QByteArrayList lowered;
    lowered.reserve(before.members.size());
    std::unordered_set<std::string_view> known;
    known.reserve(size_t(before.members.size()));
    for (const RosterMember &member : before.members) {
        if (!member.valid)
            continue;
        lowered.append(member.address.toLower());
        known.emplace(lowered.last().constData(), size_t(lowered.last().size()));
    }
    QList<RosterMember> joined;
    QByteArray address;
    for (const RosterMember &member : now.members) {
        if (!member.valid)
            continue;
        address = member.address.toLower();
        if (!known.count(std::string_view(address.constData(), size_t(address.size()))))
            joined.append(member);
    }
    return joined;
}

namespace {

QByteArray csvField(const QByteArray &text)
{
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    QByteArray quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QByteArray csvRow(const RosterMember &member)
{
    return csvField(member.address) + ',' + (member.valid ? "yes" : "no") + ',' +
           csvField(member.line) + "\r\n";
}

} // namespace

QByteArray RosterCsv(const QList<RosterMember> &members)
{
    QByteArray csv = "address,valid,line\r\n";
    for (const RosterMember &member : members)
        csv += csvRow(member);
    return csv;
}

QByteArray RosterChangesCsv(const QList<RosterMember> &joined, const QList<RosterMember> &left)
{
    QByteArray csv = "change,address,valid,line\r\n";
    for (const RosterMember &member : joined)
        csv += "joined," + csvRow(member);
    for (const RosterMember &member : left)
        csv += "left," + csvRow(member);
    return csv;
}

RosterStore::RosterStore(QString folder) : m_folder(std::move(folder)) {}

QString RosterStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/rosters");
}

QString RosterStore::path(const QByteArray &server, const QByteArray &list, bool previous) const
{
    // One name per list and server, whatever bytes they hold.
    const QByteArray name =
        QUrl::toPercentEncoding(list.toLower() + ' ' + server.toLower(), "@.-_");
    return m_folder + QLatin1Char('/') + QString::fromLatin1(name) +
           (previous ? QStringLiteral(".previous") : QStringLiteral(".roster"));
}

std::optional<Roster> RosterStore::load(const QByteArray &server, const QByteArray &list,
                                        bool previous, QString *error) const
{
    const QString file = path(server, list, previous);
    if (!QFileInfo::exists(file))
        return std::nullopt;
    const auto fail = [&](const QString &why) -> std::optional<Roster> {
        if (error)
            *error = QStringLiteral("%1: %2").arg(file, why);
        return std::nullopt;
    };
    if (QString refused = SafeFile::readRefusal(file); !refused.isEmpty())
        return fail(refused);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    Roster roster;
    bool counted = false;
    bool first = true;
    LineStream lines(in);
    LineStream::Piece piece;
    QByteArray longLine;
    bool lineStart = true;
    while (lines.next(piece)) {
        // A line that came in one piece is read where it stands.
        QByteArrayView line = piece.bytes;
        if (!lineStart || !piece.lineEnd) {
            longLine += piece.bytes;
            line = longLine;
        }
        lineStart = piece.lineEnd;
        if (!piece.lineEnd)
            continue;
        if (first) {
            if (line != kMagic)
                return fail(QStringLiteral("not a roster file"));
            first = false;
        } else if (line.startsWith("m\t")) {
            // m TAB valid TAB address TAB line
            const qsizetype address = 4;
            const qsizetype tab = line.indexOf('\t', address);
            if (line.size() < address || line[3] != '\t' || tab < 0)
                return fail(QStringLiteral("a broken member line"));
            roster.members.append({unescaped(line.sliced(tab + 1)),
                                   unescaped(line.sliced(address, tab - address)), line[2] == '1'});
        } else if (line.startsWith("list\t")) {
            roster.list = unescaped(line.sliced(5));
        } else if (line.startsWith("server\t")) {
            roster.server = unescaped(line.sliced(7));
        } else if (line.startsWith("date\t")) {
            roster.date = QDateTime::fromString(QString::fromLatin1(line.sliced(5)), Qt::ISODate);
        } else if (line.startsWith("count\t")) {
            roster.serverCount = line.sliced(6).toLongLong();
            counted = true;
        }
        longLine.truncate(0);
    }
    if (!lines.errorString().isEmpty())
        return fail(lines.errorString());
    // The count is written last: without it the file was cut.
    if (!counted)
        return fail(QStringLiteral("the file ends before its last line"));
    return roster;
}

std::optional<Roster> RosterStore::load(const MailingListEntry &entry, bool previous,
                                        QString *error) const
{
    return load(ParseMailAddress(entry.Address), entry.ListName.trimmed(), previous, error);
}

struct RosterStore::Writer::Impl
{
    std::unique_ptr<SafeFile::WholeFileWriter> file;
    QString current;
    QString previous;
};

RosterStore::Writer::~Writer()
{
    delete m_impl;
}

bool RosterStore::Writer::add(const RosterMember &member)
{
    if (!m_error.isEmpty())
        return false;
    m_row.truncate(0);
    appendMemberRow(m_row, member);
    if (!m_impl->file->write(m_row)) {
        m_error = m_impl->file->finish();
        return false;
    }
    return true;
}

QString RosterStore::Writer::commit(qint64 serverCount)
{
    if (!m_error.isEmpty())
        return m_error;
    m_impl->file->write(countRow(serverCount));
    m_error = rotate(*m_impl->file, m_impl->current, m_impl->previous);
    return m_error;
}

std::unique_ptr<RosterStore::Writer>
RosterStore::write(const QByteArray &server, const QByteArray &list, const QDateTime &date) const
{
    std::unique_ptr<Writer> writer(new Writer);
    writer->m_impl = new Writer::Impl;
    writer->m_impl->current = path(server, list);
    writer->m_impl->previous = path(server, list, true);
    writer->m_impl->file = std::make_unique<SafeFile::WholeFileWriter>(writer->m_impl->current);
    writer->m_error = ensureFolder(m_folder);
    if (writer->m_error.isEmpty())
        writer->m_error = writer->m_impl->file->open();
    if (writer->m_error.isEmpty())
        writer->m_impl->file->write(headerRows(list, server, date));
    return writer;
}

QString RosterStore::save(const Roster &roster) const
{
    if (QString failed = ensureFolder(m_folder); !failed.isEmpty())
        return failed;
    QByteArray bytes = headerRows(roster.list, roster.server, roster.date);
    for (const RosterMember &member : roster.members)
        appendMemberRow(bytes, member);
    bytes += countRow(roster.serverCount);
    return SafeFile::replaceWhole(path(roster.server, roster.list), bytes);
}

qsizetype FindRegisteredList(const ListRegister &lists, const QByteArray &server,
                             const QByteArray &list)
{
    if (server.isEmpty() || list.isEmpty())
        return -1;
    for (qsizetype i = 0; i < lists.size(); ++i) {
        const MailingListEntry &entry = lists.at(i);
        if (ParseMailAddress(entry.Address).compare(server, Qt::CaseInsensitive) == 0 &&
            entry.ListName.trimmed().compare(list, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace {

// A (un)subscribe notice changes the stored roster, when there is one: the
// member joins at the end, or every line with the address goes.
void applyNotice(AppliedReply &applied, const ListRegister &lists, const RosterStore *store)
{
    const ServerReply &reply = applied.reply;
    if (!store)
        return;
    if (FindRegisteredList(lists, reply.from, reply.list) < 0) {
        applied.noticeWhy = QCoreApplication::translate("Roster", "ﾘｽﾄが登録されていません");
        return;
    }
    QString error;
    std::optional<Roster> roster = store->load(reply.from, reply.list, false, &error);
    if (!roster) {
        applied.noticeWhy =
            error.isEmpty() ? QCoreApplication::translate("Roster", "会員一覧が保存されていません")
                            : error;
        return;
    }
    const RosterMember member = MakeRosterMember(reply.address);
    if (!member.valid) {
        applied.noticeWhy = QCoreApplication::translate("Roster", "ｱﾄﾞﾚｽが読めません");
        return;
    }
    const auto same = [&](const RosterMember &m) {
        return m.valid && m.address.compare(member.address, Qt::CaseInsensitive) == 0;
    };
    const bool present = std::any_of(roster->members.cbegin(), roster->members.cend(), same);
    if (reply.kind == ServerMailKind::SubscribeNotice) {
        if (present) {
            applied.noticeApplied = true;
            return;
        }
        roster->members.append(member);
        ++roster->serverCount;
    } else {
        const qsizetype removed = roster->members.removeIf(same);
        roster->serverCount = std::max<qint64>(0, roster->serverCount - removed);
    }
    error = store->save(*roster);
    applied.noticeApplied = error.isEmpty();
    applied.noticeWhy = error;
}

AppliedReply apply(QIODevice &device, const ListRegister &lists, const RosterStore *store,
                   const std::function<void(const RosterMember &)> &memberOut,
                   const QDateTime &fallbackDate)
{
    AppliedReply applied;
    ReplyReadOptions options;
    for (const MailingListEntry &entry : lists) {
        if (!entry.Passwd.isEmpty())
            options.secrets.append(entry.Passwd);
    }
    QHash<qsizetype, std::shared_ptr<RosterStore::Writer>> writers;
    options.sink.begin = [&](qsizetype command, const ServerReply &reply) {
        const QByteArray &list = reply.commands.at(command).list;
        const qsizetype found = FindRegisteredList(lists, reply.from, list);
        if (found >= 0 && store)
            writers.insert(command, store->write(reply.from, list,
                                                 reply.date.isValid() ? reply.date : fallbackDate));
    };
    options.sink.member = [&](qsizetype command, const RosterMember &member) {
        if (memberOut)
            memberOut(member);
        if (auto it = writers.find(command); it != writers.end())
            (*it)->add(member);
    };
    applied.reply = ReadServerReply(device, options);
    ServerReply &reply = applied.reply;
    for (qsizetype i = 0; i < reply.commands.size(); ++i) {
        const ReplyCommand &command = reply.commands.at(i);
        if (!command.who)
            continue;
        AppliedReply::Stored stored{i, command.list, {}, false, {}};
        const qsizetype found = FindRegisteredList(lists, reply.from, command.list);
        if (found >= 0)
            stored.title = QString::fromLocal8Bit(lists.at(found).Title);
        if (command.status != ReplyStatus::Ok)
            stored.why = QCoreApplication::translate("Roster", "ｺﾏﾝﾄﾞが失敗しました");
        else if (!command.who->complete || !reply.error.isEmpty())
            stored.why = QCoreApplication::translate("Roster", "会員一覧が途中で切れています");
        else if (found < 0)
            stored.why = QCoreApplication::translate("Roster", "ﾘｽﾄが登録されていません");
        else if (!store)
            stored.why = QCoreApplication::translate("Roster", "保存しない指定です");
        else if (auto it = writers.find(i); it == writers.end())
            stored.why = QCoreApplication::translate("Roster", "会員一覧を保存できませんでした");
        else if (QString failed = (*it)->commit(command.who->serverCount); !failed.isEmpty())
            stored.why = QCoreApplication::translate("Roster", "会員一覧を保存できませんでした: %1")
                             .arg(failed);
        else
            stored.stored = true;
        applied.rosters.append(stored);
    }
    if (reply.kind == ServerMailKind::SubscribeNotice ||
        reply.kind == ServerMailKind::UnsubscribeNotice)
        applyNotice(applied, lists, store);
    return applied;
}

} // namespace

AppliedReply ApplyServerReply(QIODevice &device, const ListRegister &lists,
                              const RosterStore *store,
                              const std::function<void(const RosterMember &)> &memberOut)
{
    return apply(device, lists, store, memberOut, QDateTime::currentDateTime());
}

AppliedReply ApplyServerReply(const QString &path, const ListRegister &lists,
                              const RosterStore *store,
                              const std::function<void(const RosterMember &)> &memberOut)
{
    AppliedReply applied;
    applied.reply.partial = true; // until the file is read
    if (path.isEmpty()) {
        applied.reply.error = QStringLiteral("no file name given");
        return applied;
    }
    if (QString refused = SafeFile::readRefusal(path); !refused.isEmpty()) {
        applied.reply.error = refused;
        return applied;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        applied.reply.error = file.errorString();
        return applied;
    }
    // Captures of the server's mail have no Date: the file's time stands in.
    return apply(file, lists, store, memberOut, QFileInfo(path).lastModified());
}
