#include "store/RegistryBase.h"

#include "store/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString join(const QString &parent, const QString &child)
{
    return parent.isEmpty() ? child : parent + QLatin1Char('/') + child;
}

bool validSubkeyName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

#ifndef Q_OS_WIN
// The store holds passwords: folders we create are 0700, the file 0600.
bool makePrivateDir(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (!makePrivateDir(info.absolutePath()))
        return false;
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo(path).isDir();
}

bool ensurePrivateFile(const QString &path)
{
    if (!makePrivateDir(QFileInfo(path).absolutePath()))
        return false;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return errno == EEXIST;
}
#endif

// The first free name of the form <file>.unreadable, <file>.unreadable.1, ...
QString keepAsideName(const QString &file)
{
    QString name = file + QStringLiteral(".unreadable");
    for (int n = 1; QFileInfo::exists(name); ++n)
        name = file + QStringLiteral(".unreadable.%1").arg(n);
    return name;
}

// QSettings keeps each file parsed in a process-wide cache and reports a
// parse failure only to the instance that parsed it, so the finding has to
// outlive that instance.
QSet<QString> &unreadableFiles()
{
    static QSet<QString> files;
    return files;
}

bool isUnreadable(const std::unique_ptr<QSettings> &settings)
{
    return settings && unreadableFiles().contains(settings->fileName());
}

// Why the last write of each store file failed in this process. QSettings
// keeps the changes of a failed write and tries them again when the file is
// next opened, so a failure then is that write's, not a read's.
QHash<QString, QString> &failedWrites()
{
    static QHash<QString, QString> reasons;
    return reasons;
}

// Notes a parse failure; false when the store cannot be read at all.
bool checkReadable(const QSettings &settings)
{
    switch (settings.status()) {
    case QSettings::NoError:
        return true;
    case QSettings::FormatError:
        // Reads fall back to defaults; the file is kept aside before the
        // first write replaces it, so the user's lists are not lost.
        unreadableFiles().insert(settings.fileName());
        return true;
    case QSettings::AccessError:
        break;
    }
    return false;
}

#ifndef Q_OS_WIN
// Where QSettings keeps the store, found without opening the store itself
// (a FIFO there would block the open): the maker's own file, which QSettings
// reads as a fallback anyway, lies beside the maker's folder.
QString storeFile(const QString &makerKey, const QString &productKey)
{
    const QSettings makerWide(QSettings::NativeFormat, QSettings::UserScope, makerKey);
    return QFileInfo(makerWide.fileName()).absolutePath() + QLatin1Char('/') + makerKey +
           QLatin1Char('/') + productKey + QStringLiteral(".conf");
}

int &lockWaitMs()
{
    static int ms = CRegistryBase::kLockWaitMs;
    return ms;
}

// Why the step lock `lock` was not had, naming its file.
QString lockRefusal(const QLockFile &lock, const QString &lockPath)
{
    switch (lock.error()) {
    case QLockFile::LockFailedError: {
        qint64 pid = 0;
        QString host;
        QString program;
        if (lock.getLockInfo(&pid, &host, &program))
            return QStringLiteral("%1: another program holds the store (%2, process %3 on %4)")
                .arg(lockPath, program)
                .arg(pid)
                .arg(host);
        return QStringLiteral("%1: another program holds the store").arg(lockPath);
    }
    case QLockFile::PermissionError:
        return QStringLiteral("%1: %2").arg(lockPath, SafeFile::systemReason(EACCES));
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("%1: the lock cannot be made").arg(lockPath);
}

// The lock on whole steps for `file`, shared by the store objects of this
// process that are open at once: a second one must not wait for the first.
// The store is used from one thread only. Null, with the reason in *why,
// when another process still held it at the deadline.
std::shared_ptr<QLockFile> stepLock(const QString &file, QString *why)
{
    static QHash<QString, std::weak_ptr<QLockFile>> held;
    if (std::shared_ptr<QLockFile> lock = held.value(file).lock())
        return lock;
    const QString path = file + QStringLiteral(".step.lock");
    auto lock = std::make_shared<QLockFile>(path);
    if (!lock->tryLock(lockWaitMs())) {
        *why = lockRefusal(*lock, path);
        return {};
    }
    held.insert(file, lock);
    return lock;
}
#endif

} // namespace

CRegistryBase::CRegistryBase(const QString &makerKey, const QString &productKey)
    : m_makerKey(makerKey), m_productKey(productKey)
{
#ifdef Q_OS_WIN
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                makerKey, productKey);
#else
    const QString file = storeFile(makerKey, productKey);
    if (const QString refused = SafeFile::readRefusal(file); !refused.isEmpty()) {
        m_readError = m_error = QStringLiteral("%1: %2").arg(file, refused);
        return;
    }
    errno = 0;
    if (!ensurePrivateFile(file)) {
        m_error = QStringLiteral("%1: %2").arg(file, SafeFile::systemReason(errno));
        return;
    }
    // Serialises whole load-modify-write steps of concurrent Tavelin
    // processes; QSettings' own lock only covers the write itself, and two
    // register saves merged key by key would mix two registers.
    m_lock = stepLock(file, &m_lockError);
    // The store is this one file, without the fallback files QSettings would
    // read beside it, and read under the lock.
    auto settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
#endif
    if (!checkReadable(*settings)) {
        openFailed(settings->fileName());
        return;
    }
    m_settings = std::move(settings);
}

CRegistryBase::~CRegistryBase()
{
    if (m_settings && !isUnreadable(m_settings) && m_lockError.isEmpty())
        m_settings->sync();
    m_settings.reset(); // written before the lock is released
}

void CRegistryBase::setLockWaitMsForTest(int ms)
{
#ifndef Q_OS_WIN
    lockWaitMs() = ms;
#else
    Q_UNUSED(ms);
#endif
}

RegKey CRegistryBase::productKey() const
{
    return m_settings ? RegKey(QString()) : RegKey();
}

QString CRegistryBase::location() const
{
    return m_settings ? m_settings->fileName() : QString();
}

bool CRegistryBase::resolve(const RegKey *parent, QString *path) const
{
    const RegKey key = parent ? *parent : GetKey();
    if (!m_settings || !key.isValid())
        return false;
    *path = key.path();
    return true;
}

const CRegistryBase::Subkeys &CRegistryBase::storedSubkeys(const QString &path) const
{
    // childGroups() walks every key of the file; a register load asks for the
    // same lists once per list and value, so they are kept until a deletion.
    auto found = m_subkeyCache.constFind(path);
    if (found == m_subkeyCache.constEnd()) {
        m_settings->beginGroup(path);
        Subkeys subkeys{m_settings->childGroups(), {}};
        m_settings->endGroup();
        subkeys.names = QSet<QString>(subkeys.ordered.cbegin(), subkeys.ordered.cend());
        found = m_subkeyCache.insert(path, subkeys);
    }
    return *found;
}

bool CRegistryBase::keyExists(const QString &path) const
{
    if (path.isEmpty() || m_createdKeys.contains(path))
        return true;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return storedSubkeys(slash < 0 ? QString() : path.left(slash))
        .names.contains(path.mid(slash + 1));
}

void CRegistryBase::openFailed(const QString &file)
{
    m_error = failedWrites().value(file);
    if (m_error.isEmpty())
        m_readError = m_error = QStringLiteral("%1: cannot be read").arg(file);
}

bool CRegistryBase::fail(const QString &why)
{
    m_error = why;
    return false;
}

bool CRegistryBase::keepBackup(const QString &file)
{
#ifndef Q_OS_WIN
    // Before this process first writes the store, the file as it is goes to
    // <file>.bak: Qt's reader skips a damaged region without a word, and the
    // write would lose what stood there. Better no write than no copy.
    static QSet<QString> kept;
    if (kept.contains(file))
        return true;
    if (const QString refused = SafeFile::readRefusal(file); !refused.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(file, refused));
    QFile current(file);
    errno = 0;
    if (!current.open(QIODevice::ReadOnly))
        return fail(
            QStringLiteral("%1: %2").arg(file, SafeFile::reason(current.errorString(), errno)));
    const QByteArray bytes = current.readAll();
    if (current.error() != QFileDevice::NoError)
        return fail(
            QStringLiteral("%1: %2").arg(file, SafeFile::reason(current.errorString(), errno)));
    // An empty store holds nothing to keep, and an older copy is worth more.
    if (!bytes.isEmpty()) {
        const QString backup = file + QStringLiteral(".bak");
        if (const QString error = SafeFile::replaceWhole(backup, bytes); !error.isEmpty())
            return fail(QStringLiteral("%1: %2").arg(backup, error));
    }
    kept.insert(file);
#else
    Q_UNUSED(file);
#endif
    return true;
}

bool CRegistryBase::refreshBackup()
{
#ifndef Q_OS_WIN
    if (!m_settings)
        return false;
    const QString file = m_settings->fileName();
    QFile current(file);
    if (!SafeFile::readRefusal(file).isEmpty() || !current.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = current.readAll();
    const QString backup = file + QStringLiteral(".bak");
    return !QFileInfo::exists(backup) || SafeFile::replaceWhole(backup, bytes).isEmpty();
#else
    return true;
#endif
}

bool CRegistryBase::beforeWrite()
{
#ifndef Q_OS_WIN
    // Without the lock another process's step may be between its read and
    // its write: writing now would undo its change or be undone by it.
    if (!m_lock)
        return fail(m_lockError);
#endif
    const QString file = m_settings->fileName();
    if (!keepBackup(file))
        return false;
    if (!isUnreadable(m_settings))
        return true;
    if (!QFile::copy(file, keepAsideName(file)))
        return fail(QStringLiteral("%1: cannot keep a copy of the unreadable store").arg(file));
    unreadableFiles().remove(file);
    return true;
}

RegKey CRegistryBase::CreateKey(const QString &subkey, const RegKey *parent)
{
    QString base;
    if (!resolve(parent, &base) || !validSubkeyName(subkey) || !keyExists(base) || !beforeWrite())
        return {};
    const QString path = join(base, subkey);
    m_createdKeys.insert(path);
    return RegKey(path);
}

RegKey CRegistryBase::OpenKey(const QString &subkey, const RegKey *parent)
{
    QString base;
    if (!resolve(parent, &base) || !validSubkeyName(subkey))
        return {};
    const QString path = join(base, subkey);
    return keyExists(path) ? RegKey(path) : RegKey();
}

long CRegistryBase::QueryValue(const QString &name, RegType *type, QByteArray *data,
                               const RegKey *parent)
{
    QString base;
    if (!resolve(parent, &base))
        return ErrorInvalidHandle;
    const QString key = join(base, name);
    if (!keyExists(base) || !m_settings->contains(key))
        return ErrorNotFound;
    const QVariant value = m_settings->value(key);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        // The Windows registry hands back REG_DWORD values as numbers.
        quint32 number = value.toUInt();
        *type = RegType::DWord;
        *data = QByteArray(4, '\0');
        qToLittleEndian(number, data->data());
        break;
    }
    case QMetaType::QByteArray:
        *type = RegType::String;
        *data = value.toByteArray() + '\0';
        break;
    case QMetaType::QStringList:
        // An INI line written by hand with an unquoted comma ("Tokyo, Japan")
        // is parsed as a list; it is one text to us, not an empty one.
        *type = RegType::String;
        *data = value.toStringList().join(QStringLiteral(", ")).toLocal8Bit() + '\0';
        break;
    default:
        // An INI file stores every value as text.
        *type = RegType::String;
        *data = value.toString().toLocal8Bit() + '\0';
        break;
    }
    return 0;
}

quint32 CRegistryBase::GetDWord(const QString &name, quint32 defaultValue, const RegKey *parent)
{
    RegType type = RegType::None;
    QByteArray data;
    if (QueryValue(name, &type, &data, parent) != 0)
        return defaultValue;
    if (type == RegType::DWord)
        return qFromLittleEndian<quint32>(data.constData());
    bool ok = false;
    const quint32 number = QByteArray(data.constData()).trimmed().toUInt(&ok);
    return ok ? number : defaultValue;
}

long CRegistryBase::GetString(const QString &name, QByteArray *out, const QByteArray &defaultValue,
                              const RegKey *parent)
{
    RegType type = RegType::None;
    QByteArray data;
    const long result = QueryValue(name, &type, &data, parent);
    if (result != 0) {
        *out = defaultValue;
        return result;
    }
    if (type == RegType::DWord)
        *out = QByteArray::number(qFromLittleEndian<quint32>(data.constData()));
    else
        *out = QByteArray(data.constData()); // up to the first zero byte
    return 0;
}

bool CRegistryBase::SetValue(const QString &name, RegType type, const QByteArray &data,
                             const RegKey *parent)
{
    QString base;
    if (!resolve(parent, &base) || name.isEmpty() || !keyExists(base) || !beforeWrite())
        return false;
    const QString key = join(base, name);
    switch (type) {
    case RegType::DWord:
        if (data.size() != 4)
            return false;
        m_settings->setValue(key, qFromLittleEndian<quint32>(data.constData()));
        return true;
    case RegType::String: {
        const QByteArray text(data.constData(), qstrnlen(data.constData(), data.size()));
        const QString readable = QString::fromLocal8Bit(text);
        // Bytes that are not text in the local code set are kept as bytes,
        // so that every value reads back exactly as written.
        if (readable.toLocal8Bit() == text)
            m_settings->setValue(key, readable);
        else
            m_settings->setValue(key, text);
        return true;
    }
    case RegType::None:
        break;
    }
    return false;
}

bool CRegistryBase::SetDWord(const QString &name, quint32 value, const RegKey *parent)
{
    QByteArray data(4, '\0');
    qToLittleEndian(value, data.data());
    return SetValue(name, RegType::DWord, data, parent);
}

bool CRegistryBase::SetString(const QString &name, const QByteArray &text, const RegKey *parent)
{
    return SetValue(name, RegType::String, text + '\0', parent);
}

bool CRegistryBase::EnumKey(int index, QString *name, const RegKey *parent)
{
    QString base;
    if (index < 0 || !resolve(parent, &base) || !keyExists(base))
        return false;
    const Subkeys &stored = storedSubkeys(base);
    if (index < stored.ordered.size()) {
        *name = stored.ordered.at(index);
        return true;
    }
    // Then the keys created in this session that hold no value yet.
    const QString prefix = base.isEmpty() ? QString() : base + QLatin1Char('/');
    QStringList created;
    for (const QString &key : std::as_const(m_createdKeys)) {
        const QString child = key.mid(prefix.size());
        if (key.startsWith(prefix) && !child.contains(QLatin1Char('/')) &&
            !stored.names.contains(child))
            created.append(child);
    }
    created.sort();
    index -= int(stored.ordered.size());
    if (index >= created.size())
        return false;
    *name = created.at(index);
    return true;
}

bool CRegistryBase::DeleteKey(const QString &subkey, const RegKey *parent)
{
    QString base;
    if (!resolve(parent, &base) || !validSubkeyName(subkey))
        return false;
    const QString path = join(base, subkey);
    if (!keyExists(path) || !beforeWrite())
        return false;
    m_settings->remove(path);
    m_subkeyCache.clear();
    const QString prefix = path + QLatin1Char('/');
    m_createdKeys.removeIf(
        [&](const QString &key) { return key == path || key.startsWith(prefix); });
    return true;
}

bool CRegistryBase::commit()
{
    if (!m_settings)
        return fail(m_error.isEmpty() ? QStringLiteral("the store could not be opened") : m_error);
    const QString file = m_settings->fileName();
    if (isUnreadable(m_settings))
        return fail(m_error.isEmpty() ? QStringLiteral("%1: nothing was written").arg(file)
                                      : m_error);
#ifndef Q_OS_WIN
    if (!m_lock)
        return fail(m_lockError);
    // The file is replaced by a rename over the link's target: never over a
    // device or a FIFO put there since the store was opened.
    if (const QString refused = SafeFile::writeRefusal(file); !refused.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(file, refused));
    // The new file takes the old one's mode: a store made readable to others
    // (by hand, or by a program older than this one) holds passwords.
    if (::chmod(QFile::encodeName(file).constData(), 0600) != 0)
        return fail(QStringLiteral("%1: %2").arg(file, SafeFile::systemReason(errno)));
#endif
    errno = 0;
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError) {
        failedWrites().insert(file,
                              QStringLiteral("%1: %2").arg(file, SafeFile::systemReason(errno)));
        return fail(failedWrites().value(file));
    }
    failedWrites().remove(file);
    return true;
}
