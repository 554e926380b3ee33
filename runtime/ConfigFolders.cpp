#include "ConfigFolders.h"

#include <QDir>

namespace component {

namespace {

QString envPath(const char* name)
{
    return QDir::fromNativeSeparators(qEnvironmentVariable(name));
}

} // namespace

QString userConfigFolder()
{
    QString configHome = envPath("XDG_CONFIG_HOME");
    if (configHome.isEmpty())
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/tk28950");
}

QString systemConfigFolder()
{
    const QString folder = envPath("TK28950_SYSCONFDIR");
    return folder.isEmpty() ? QStringLiteral("/etc/tk28950") : folder;
}

} // namespace component
