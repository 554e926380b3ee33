// Runs the setup program's tests inside a widget application, with the
// freshly built control registered in a registry of this run only.
#include "ComponentHost.h"
#include "Exports.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    QTemporaryDir registryDir;
    qputenv("TK28950_REGISTRY", registryDir.filePath(QStringLiteral("registry.ini")).toLocal8Bit());
    QString error;
    const auto library = component::Library::load(QStringLiteral(TK28950_LIBRARY), &error);
    auto* registerServer = library ? reinterpret_cast<DllRegisterServerFn>(
                                         library->symbol(component::exports::kRegisterServer))
                                   : nullptr;
    if (!registerServer || component::failed(registerServer())) {
        fprintf(stderr, "cannot register %s: %s\n", TK28950_LIBRARY, qPrintable(error));
        return 1;
    }
    return RUN_ALL_TESTS();
}
