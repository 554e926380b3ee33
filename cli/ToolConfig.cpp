#include "ToolConfig.h"

#include "ArgumentConversion.h"
#include "ConfigFolders.h"
#include "ToolError.h"

#include <QSettings>

namespace ToolConfig {
namespace {

QStringList files()
{
    const QString name = QStringLiteral("/tk28950.conf");
    return {component::userConfigFolder() + name, component::systemConfigFolder() + name};
}

// The first file's value for key, with the file it came from.
std::optional<QString> valueOf(const char* key, QString* file)
{
    for (const QString& path : files()) {
        const QSettings settings(path, QSettings::IniFormat);
        if (settings.contains(QLatin1String(key))) {
            *file = path;
            return settings.value(QLatin1String(key)).toString();
        }
    }
    return std::nullopt;
}

void readInteger(const char* key, int minimum, int maximum, std::optional<int>* target)
{
    QString file;
    if (const std::optional<QString> text = valueOf(key, &file))
        *target = ArgumentConversion::toInteger(*text, minimum, maximum,
                                                QStringLiteral("%1 in %2").arg(key, file));
}

} // namespace

GlobalOptions defaults()
{
    GlobalOptions options;
    QString file;
    options.device = valueOf("device", &file).value_or(QString());
    readInteger("port", 1, 32767, &options.port);
    std::optional<int> timeout;
    readInteger("timeout", 1, kMaxTimeoutMs, &timeout);
    options.timeoutMs = timeout.value_or(options.timeoutMs);
    std::optional<int> retries;
    readInteger("retries", 0, kMaxRetries, &retries);
    options.retries = retries.value_or(options.retries);
    return options;
}

void applyDevice(const GlobalOptions& defaults, GlobalOptions* options)
{
    if (!options->device.isEmpty() || options->port)
        return;
    if (!defaults.device.isEmpty())
        options->device = defaults.device;
    else
        options->port = defaults.port;
}

QString recordsAddress()
{
    QString file;
    return valueOf("records", &file).value_or(QString());
}

} // namespace ToolConfig
