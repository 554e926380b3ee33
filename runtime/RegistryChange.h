#pragma once
// A set of changes to the registry file that is written as one unit: either
// the file takes all of them, or it stays as it was and so does every other
// view of it in this process.
#include "HResult.h"

#include <QHash>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace component {

class RegistryChange {
public:
    // Creates the file's folder when it is missing.
    explicit RegistryChange(const QString& path);

    // False when the file can be neither read nor created; nothing is written then.
    bool usable() const;
    const QSettings& settings() const { return m_settings; }

    void setValue(const QString& key, const QVariant& value);
    // Removes a key, or a group with all keys in it.
    void remove(const QString& keyOrGroup);

    // kOk, or kFail with every change taken back.
    HResult commit();

private:
    void remember(const QString& key);
    void revert();

    bool m_folderReady;
    QSettings m_settings;
    // The value each changed key had before; an invalid QVariant for keys
    // that did not exist.
    QHash<QString, QVariant> m_original;
};

} // namespace component
