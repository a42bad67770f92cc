#include "store/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace SafeFile {

QString systemReason(int error)
{
    return error == 0 ? QStringLiteral("the system gave no reason")
                      : QString::fromLocal8Bit(std::strerror(error));
}

QString reason(const QString &qtText, int error)
{
    if (qtText.isEmpty() || qtText == QLatin1String("Unknown error"))
        return systemReason(error);
    return qtText;
}

#ifndef Q_OS_WIN

namespace {

QString notPlain()
{
    return QStringLiteral("not a plain file");
}

} // namespace

QString writeRefusal(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::stat(native.constData(), &st) == 0)
        return S_ISREG(st.st_mode) ? QString() : notPlain();
    const int error = errno;
    if (error != ENOENT)
        return systemReason(error);
    // A link to nothing: saving would create a file wherever it points.
    if (::lstat(native.constData(), &st) == 0)
        return QStringLiteral("a link to a missing file");
    return {};
}

QString readRefusal(const QString &path)
{
    const QString refused = writeRefusal(path);
    if (!refused.isEmpty() || !QFileInfo::exists(path))
        return refused;
    // O_NONBLOCK: should the entry have become a FIFO since, the open does
    // not wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return systemReason(errno);
    struct stat st
    {
    };
    const bool plain = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return plain ? QString() : notPlain();
}

QString openPlain(QFile &file, QIODevice::OpenMode mode)
{
    if (file.fileName().isEmpty()) // QFile would also warn on stderr
        return QStringLiteral("no file name given");
    // O_NONBLOCK: opening a FIFO does not wait for a writer; it is then
    // refused by its type.
    const int fd =
        ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return systemReason(errno);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return notPlain();
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly | mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    return {};
}

int renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return 0;
    // Only a file system without the flag falls back to a hard link.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
#endif
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    ::unlink(source.constData());
    return 0;
}

QString replaceWhole(const QString &path, const QByteArray &bytes)
{
    WholeFileWriter writer(path);
    if (QString refused = writer.open(); !refused.isEmpty())
        return refused;
    writer.write(bytes);
    return writer.commit();
}

WholeFileWriter::WholeFileWriter(QString path) : m_path(std::move(path)) {}

WholeFileWriter::~WholeFileWriter() = default;

QString WholeFileWriter::open()
{
    if (const QString refused = writeRefusal(m_path); !refused.isEmpty())
        return refused;
    // QTemporaryFile creates its file exclusively, mode 0600.
    m_temp = std::make_unique<QTemporaryFile>(m_path + QStringLiteral(".XXXXXX"));
    if (!m_temp->open()) {
        const QString why = reason(m_temp->errorString(), errno);
        m_temp.reset();
        return why;
    }
    return {};
}

bool WholeFileWriter::write(QByteArrayView bytes)
{
    if (!m_temp || !m_error.isEmpty())
        return false;
    errno = 0;
    if (m_temp->write(bytes.data(), bytes.size()) != bytes.size()) {
        m_error = reason(m_temp->errorString(), errno);
        return false;
    }
    return true;
}

QString WholeFileWriter::finish()
{
    if (!m_temp)
        return QStringLiteral("not open");
    if (!m_error.isEmpty())
        return m_error;
    errno = 0;
    if (!m_temp->flush() || ::fsync(m_temp->handle()) != 0)
        return reason(m_temp->errorString(), errno);
    return {};
}

QString WholeFileWriter::renameTo(const QString &target)
{
    if (!m_temp)
        return QStringLiteral("not open");
    if (::rename(QFile::encodeName(m_temp->fileName()).constData(),
                 QFile::encodeName(target).constData()) != 0)
        return systemReason(errno);
    m_temp->setAutoRemove(false);
    m_temp.reset();
    return {};
}

QString WholeFileWriter::commit()
{
    if (QString failed = finish(); !failed.isEmpty())
        return failed;
    return renameTo(m_path);
}

#else // Windows: no FIFOs or device nodes among ordinary paths.

QString writeRefusal(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile() ? QString() : QStringLiteral("not a plain file");
}

QString readRefusal(const QString &path)
{
    return writeRefusal(path);
}

QString openPlain(QFile &file, QIODevice::OpenMode mode)
{
    if (const QString refused = readRefusal(file.fileName()); !refused.isEmpty())
        return refused;
    return file.open(QIODevice::ReadOnly | mode) ? QString() : file.errorString();
}

int renameNoReplace(const QString &from, const QString &to)
{
    // MoveFileEx without MOVEFILE_REPLACE_EXISTING refuses a taken name.
    return QFile::rename(from, to) ? 0 : EEXIST;
}

QString replaceWhole(const QString &path, const QByteArray &bytes)
{
    if (const QString refused = writeRefusal(path); !refused.isEmpty())
        return refused;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

#endif

} // namespace SafeFile
