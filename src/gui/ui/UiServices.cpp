#include "ui/UiServices.h"

#include "send/NetworkManagerDialUp.h"

#include <QMenu>

DialUpBinding &UiServices::dialUp()
{
    // A binding on no bus at all is one on a system without the service.
    static NetworkManagerDialUp none{QDBusConnection(QString())};
    return none;
}

std::optional<int> UiServices::popupMenu(QWidget *owner, const QPoint &at,
                                         const QStringList &entries)
{
    QMenu menu(owner);
    for (const QString &entry : entries)
        menu.addAction(entry);
    QAction *chosen = menu.exec(at);
    const int position = chosen ? int(menu.actions().indexOf(chosen)) : -1;
    return position >= 0 ? std::optional(position) : std::nullopt;
}

QList<FileFilter> parseFilterList(const QString &filterList)
{
    QList<FileFilter> filters;
    const QStringList parts = filterList.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            break; // the closing "||"
        if (!parts[i + 1].isEmpty())
            filters.append({parts[i], parts[i + 1]});
    }
    return filters;
}

QString defaultSuffix(const QString &defaultExtension)
{
    QString suffix = defaultExtension;
    if (suffix.startsWith(QLatin1Char('*')))
        suffix.remove(0, 1);
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
}
