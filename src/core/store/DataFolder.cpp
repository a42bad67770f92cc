#include "store/DataFolder.h"

#include "store/SafeFile.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

QString DataFolder(QString *error)
{
    // The window and the CLI both name the application "Tavelin".
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (QFileInfo(folder).isDir())
        return folder;
    QDir().mkpath(QFileInfo(folder).path());
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(folder, SafeFile::systemReason(errno));
        return {};
    }
    return folder;
}
