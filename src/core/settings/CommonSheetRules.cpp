#include "settings/CommonSheetRules.h"

#include "store/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace CommonSheetRules {

QStringList securityChoices()
{
    return {QCoreApplication::translate("CommonSheetRules", "なし"), QStringLiteral("STARTTLS"),
            QStringLiteral("SSL/TLS")};
}

std::optional<QString> programLabel(int edition)
{
    switch (edition) {
    case 0:
        return QCoreApplication::translate("CommonSheetRules", "使用する Qsend.exe");
    case 1:
        return QCoreApplication::translate("CommonSheetRules", "使用する Quillon.exe");
    default:
        return std::nullopt;
    }
}

QStringList entryChoices(QStringList names, const QByteArray &storedEntry)
{
    const QString stored = QString::fromLocal8Bit(storedEntry);
    const bool listed =
        stored.isEmpty() || std::any_of(names.begin(), names.end(), [&stored](const QString &name) {
            return name.startsWith(stored, Qt::CaseInsensitive);
        });
    if (!listed)
        names.append(stored);
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

QString createFolder(const QString &folder)
{
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    QStringList missing;
    for (QString at = absolute; !QFileInfo::exists(at) && !QDir(at).isRoot();
         at = QFileInfo(at).path())
        missing.prepend(at);
    for (const QString &path : std::as_const(missing)) {
        errno = 0;
        if (!QDir().mkdir(path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
            return SafeFile::systemReason(errno);
    }
    if (!QFileInfo(absolute).isDir())
        return SafeFile::systemReason(ENOTDIR);
    return {};
}

} // namespace CommonSheetRules
