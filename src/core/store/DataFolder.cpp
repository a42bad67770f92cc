#include "store/DataFolder.h"

#include "store/SafeFile.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

QString DataFolder(QString *error)
{
    // Built from the generic location so that a program without the
    // application's name set (the CLI) finds the same folder.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString folder = base + QStringLiteral("/Orvendal/Tavelin");
    if (QFileInfo(folder).isDir())
        return folder;
    QDir().mkpath(base + QStringLiteral("/Orvendal"));
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(folder, SafeFile::systemReason(errno));
        return {};
    }
    return folder;
}
