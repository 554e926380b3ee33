// The control's tests run as a host would: the freshly built library is
// registered into a registry file of their own, and every control is created
// through it.
#include "ControlHost.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir registryDir;
    const library::RegistryScope registry(registryDir.filePath(QStringLiteral("registry.ini")));
    const component::HResult hr = library::callExport("DllRegisterServer");
    if (hr != component::kOk) {
        std::fprintf(stderr, "cannot register %s: 0x%08x\n", qUtf8Printable(library::path()),
                     static_cast<unsigned>(hr));
        return 1;
    }
    return RUN_ALL_TESTS();
}
