#include "fetch/BounceHistory.h"

#include "commands/AddressExtraction.h"
#include "store/SafeFile.h"

#include <QDir>

#include <cerrno>

namespace {

QString fileError(const QFile &file)
{
    return QStringLiteral("%1: %2").arg(file.fileName(),
                                        SafeFile::reason(file.errorString(), errno));
}

// A text that may stand in a history line: no tab, CR or LF of its own.
QByteArray field(QByteArray text)
{
    for (char &c : text) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return text.simplified();
}

} // namespace

QString BounceHistory::pathOf(const MailingListEntry *list) const
{
    QByteArray name = "unknown-list";
    if (list && !list->ListName.isEmpty()) {
        const QByteArray address = ParseMailAddress(list->Address);
        name = list->ListName + '@' + address.mid(address.lastIndexOf('@') + 1);
        // The name is a file name: nothing that leaves the folder.
        for (char &c : name) {
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                               (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '@' ||
                               c == '.';
            if (!plain)
                c = '_';
        }
        if (name.startsWith('.'))
            name.prepend('_');
        name = name.toLower();
    }
    return m_folder + QStringLiteral("/bounces/") + QString::fromLatin1(name) +
           QStringLiteral(".tsv");
}

bool BounceHistory::append(const MailingListEntry *list, const QList<BounceRecord> &records,
                           QString *error)
{
    const QString path = pathOf(list);
    std::shared_ptr<QFile> &file = m_open[path];
    if (!file) {
        QDir().mkpath(m_folder + QStringLiteral("/bounces"));
        if (const QString refusal = SafeFile::writeRefusal(path); !refusal.isEmpty()) {
            *error = refusal;
            m_open.remove(path);
            return false;
        }
        file = std::make_shared<QFile>(path);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
            *error = fileError(*file);
            m_open.remove(path);
            return false;
        }
        file->setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    QByteArray lines;
    for (const BounceRecord &record : records)
        lines += field(record.address) + '\t' + record.date.toString(Qt::ISODate).toLatin1() +
                 '\t' + field(record.reason) + "\r\n";
    if (file->write(lines) != lines.size() || !file->flush()) {
        *error = fileError(*file);
        return false;
    }
    return true;
}

bool BounceHistory::read(const QString &path, QList<BounceRecord> &records, QString *error)
{
    records.clear();
    return forEach(
        path, [&](const BounceRecord &record) { records.append(record); }, error);
}

bool BounceHistory::forEach(const QString &path,
                            const std::function<void(const BounceRecord &)> &take, QString *error)
{
    if (const QString refusal = SafeFile::readRefusal(path); !refusal.isEmpty()) {
        *error = refusal;
        return false;
    }
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = fileError(file);
        return false;
    }
    while (!file.atEnd()) {
        const QByteArrayList fields = file.readLine(64 * 1024).trimmed().split('\t');
        const QDate date = QDate::fromString(QString::fromLatin1(fields.value(1)), Qt::ISODate);
        if (fields.value(0).isEmpty() || !date.isValid())
            continue;
        take({fields.at(0), date, fields.value(2)});
    }
    return true;
}
