#include "LibraryLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace LibraryLocation {

QStringList candidates()
{
    const QDir tool(QCoreApplication::applicationDirPath());
    const QString name = QStringLiteral(TK28950_LIBRARY_FILE);
    QStringList paths{tool.filePath(name), tool.filePath(QStringLiteral("../lib/") + name)};
    const QString installed =
        tool.filePath(QStringLiteral("../" TK28950_INSTALL_LIBDIR "/") + name);
    if (!paths.contains(installed))
        paths << installed;
    for (QString& path : paths)
        path = QDir::cleanPath(path);
    return paths;
}

QString fallbackLibrary()
{
    const QStringList paths = candidates();
    for (const QString& path : paths)
        if (QFileInfo(path).isFile())
            return path;
    return paths.first();
}

} // namespace LibraryLocation
