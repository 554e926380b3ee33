#pragma once
// Registers the freshly built control in a registry file of this test run
// only (TK28950_REGISTRY), so that hosts under test create it through the
// registry as they would on an operator's machine.
#include <QString>
#include <QTemporaryDir>

class ControlRegistration {
public:
    // library: the control's library file. ok() tells whether it worked.
    explicit ControlRegistration(const QString& library);
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QString m_error;
};
