#include "fetch/FetchState.h"

#include "store/SafeFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>

#include <cerrno>

namespace {

QString fileError(const QFile &file)
{
    return QStringLiteral("%1: %2").arg(file.fileName(),
                                        SafeFile::reason(file.errorString(), errno));
}

} // namespace

bool FetchState::load(const QString &dataFolder, const QByteArray &server, quint32 port,
                      const QByteArray &user, const QString &mailbox, QString *error)
{
    const QByteArray identity =
        server.toLower() + '\n' + QByteArray::number(port) + '\n' + user + '\n' + mailbox.toUtf8();
    const QString folder = dataFolder + QStringLiteral("/fetch");
    if (!QDir().mkpath(folder)) {
        *error =
            QCoreApplication::translate("FetchRun", "%1: フォルダを作成できません").arg(folder);
        return false;
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_base =
        folder + u'/' +
        QString::fromLatin1(QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex());
    uidValidity = 0;
    highestUid = 0;
    m_known.clear();

    const QString markPath = m_base + QStringLiteral(".mark");
    if (const QString refusal = SafeFile::readRefusal(markPath); !refusal.isEmpty()) {
        *error = refusal;
        return false;
    }
    QFile mark(markPath);
    if (mark.exists()) {
        if (!mark.open(QIODevice::ReadOnly)) {
            *error = fileError(mark);
            return false;
        }
        const QByteArrayList fields = mark.read(256).trimmed().split('\t');
        bool validityOk = false;
        bool uidOk = false;
        uidValidity = fields.value(0).toUInt(&validityOk);
        highestUid = fields.value(1).toUInt(&uidOk);
        if (!validityOk || !uidOk) {
            // A mark that cannot be read: reading the folder again is safe,
            // the keys keep every mail from being counted twice.
            uidValidity = 0;
            highestUid = 0;
        }
    }

    m_seen.close();
    m_seen.setFileName(m_base + QStringLiteral(".seen"));
    if (const QString refusal = SafeFile::readRefusal(m_seen.fileName()); !refusal.isEmpty()) {
        *error = refusal;
        return false;
    }
    if (!m_seen.open(QIODevice::ReadWrite | QIODevice::Append)) {
        *error = fileError(m_seen);
        return false;
    }
    m_seen.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    m_seen.seek(0);
    while (!m_seen.atEnd()) {
        const QByteArray line = m_seen.readLine(128).trimmed();
        if (!line.isEmpty())
            m_known.insert(compact(line));
    }
    return true;
}

bool FetchState::remember(const QByteArray &key, QString *error)
{
    m_known.insert(compact(key));
    if (m_seen.write(key + '\n') != key.size() + 1 || !m_seen.flush()) {
        *error = fileError(m_seen);
        return false;
    }
    return true;
}

bool FetchState::saveMark(QString *error)
{
    const QString failure = SafeFile::replaceWhole(m_base + QStringLiteral(".mark"),
                                                   QByteArray::number(uidValidity) + '\t' +
                                                       QByteArray::number(highestUid) + "\r\n");
    if (!failure.isEmpty()) {
        *error = failure;
        return false;
    }
    return true;
}

QByteArray FetchState::mailKey(const QByteArray &messageId, const QByteArray &digest)
{
    if (messageId.isEmpty())
        return "d" + digest.toHex();
    return "m" + QCryptographicHash::hash(messageId, QCryptographicHash::Sha256).toHex();
}
