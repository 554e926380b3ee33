// Pictures of the four tabs for the documentation, taken from the real window
// initialised on a simulated module.
#include "AsUserWithoutRights.h"
#include "SetupWindow.h"
#include "Simulator.h"

#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

TEST(Screenshots, EachTabIsSavedAsPng)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1));
    // The default paths as an operator's home folder shows them.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", "/home/operator");
    SetupWindow window;
    qputenv("HOME", home);
    window.click("CmdInitialize");
    ASSERT_EQ(window.boxTexts(), QStringList{"TK28950 Ready"});

    const QDir folder(QStringLiteral(TK28950_SCREENSHOTS));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    const QStringList names{"board-setup", "temperature", "output", "memory"};
    auto* tabs = window.find<QTabWidget>("SSTab1");
    for (int index = 0; index < tabs->count(); ++index) {
        tabs->setCurrentIndex(index);
        QTest::qWait(100); // let the page lay out and paint
        const QImage picture = window.form().grab().toImage();
        EXPECT_EQ(picture.size(), QSize(738, 614) * picture.devicePixelRatio());
        const QString path = folder.filePath(names[index] + ".png");
        EXPECT_TRUE(picture.save(path)) << path.toStdString();
    }
}

// The box an operator sees who may not use the chosen port.
TEST(Screenshots, PortFailureBoxWithItsReason)
{
    // A fixed folder, so that the picture, which shows the device's path, is
    // the same at every run.
    QDir dir(QDir::temp().filePath(QStringLiteral("tk28950-screenshot")));
    ASSERT_TRUE(dir.removeRecursively() && dir.mkpath(QStringLiteral(".")));
    ASSERT_TRUE(mapLockedDevice(dir.filePath("ttyUSB0"), 4));
    SetupWindow window;
    window.selectPort(4);
    {
        AsUserWithoutRights asUser;
        window.click("CmdInitialize");
    }
    qunsetenv("TK28950_PORT_4");
    ASSERT_EQ(window.boxes.size(), 2);
    if (!window.boxes.last().informative.contains("Permission denied"))
        GTEST_SKIP() << "this run may open any file";

    auto box = MessageBoxes::createBox(window.boxes.last(), &window.form());
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    QTest::qWait(100);
    const QString path = QDir(QStringLiteral(TK28950_SCREENSHOTS)).filePath("port-failure.png");
    EXPECT_TRUE(box->grab().toImage().save(path)) << path.toStdString();
    dir.removeRecursively();
}
