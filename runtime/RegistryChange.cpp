#include "RegistryChange.h"

#include <QDir>
#include <QFileInfo>

namespace component {

namespace {

bool makeFolderOf(const QString& path)
{
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

} // namespace

RegistryChange::RegistryChange(const QString& path)
    : m_folderReady(makeFolderOf(path)), m_settings(path, QSettings::IniFormat)
{
}

bool RegistryChange::usable() const
{
    return m_folderReady && m_settings.status() == QSettings::NoError;
}

void RegistryChange::remember(const QString& key)
{
    if (!m_original.contains(key))
        m_original.insert(key, m_settings.value(key));
}

void RegistryChange::setValue(const QString& key, const QVariant& value)
{
    remember(key);
    m_settings.setValue(key, value);
}

void RegistryChange::remove(const QString& keyOrGroup)
{
    if (m_settings.contains(keyOrGroup))
        remember(keyOrGroup);
    m_settings.beginGroup(keyOrGroup);
    const QStringList keys = m_settings.allKeys();
    m_settings.endGroup();
    for (const QString& key : keys)
        remember(keyOrGroup + QLatin1Char('/') + key);
    m_settings.remove(keyOrGroup);
}

HResult RegistryChange::commit()
{
    m_settings.sync();
    if (m_settings.status() == QSettings::NoError) {
        m_original.clear();
        return kOk;
    }
    revert();
    return kFail;
}

// QSettings shares what it has read of a file among all its objects in the
// process, unwritten changes included; without this, a failed write would
// still show to the next reader as if it had been registered.
void RegistryChange::revert()
{
    for (auto it = m_original.cbegin(); it != m_original.cend(); ++it) {
        if (it.value().isValid())
            m_settings.setValue(it.key(), it.value());
        else
            m_settings.remove(it.key());
    }
    m_original.clear();
}

} // namespace component
