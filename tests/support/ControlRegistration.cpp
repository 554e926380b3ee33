#include "ControlRegistration.h"

#include "ComponentHost.h"
#include "Exports.h"

ControlRegistration::ControlRegistration(const QString& library)
{
    qputenv("TK28950_REGISTRY", m_dir.filePath(QStringLiteral("registry.ini")).toLocal8Bit());
    const auto loaded = component::Library::load(library, &m_error);
    auto* registerServer = loaded ? reinterpret_cast<DllRegisterServerFn>(
                                        loaded->symbol(component::exports::kRegisterServer))
                                  : nullptr;
    if (!registerServer || component::failed(registerServer()))
        m_error = QStringLiteral("cannot register %1: %2")
                      .arg(library, m_error.isEmpty() ? QStringLiteral("it refused") : m_error);
    else
        m_error.clear();
}
