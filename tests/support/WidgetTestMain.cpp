// Runs a test program of widgets (the setup program's, the live view's)
// inside a widget application on the offscreen platform, with the freshly
// built control registered in a registry of this run only.
#include "ControlRegistration.h"

#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const ControlRegistration registration(QStringLiteral(TK28950_LIBRARY));
    if (!registration.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(registration.error()));
        return 1;
    }
    return RUN_ALL_TESTS();
}
