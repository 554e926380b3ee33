// Pictures of the four tabs for the documentation, taken from the real window
// initialised on a simulated module.
#include "AsUserWithoutRights.h"
#include "SetupWindow.h"
#include "Simulator.h"
#include "TestFiles.h"

#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A fixed folder for the files a picture names, so that the picture is the
// same at every run.
QDir screenshotScratch()
{
    QDir dir(QDir::temp().filePath(QStringLiteral("tk28950-screenshot")));
    EXPECT_TRUE(dir.removeRecursively() && dir.mkpath(QStringLiteral(".")));
    return dir;
}

// The box as the operator sees it, saved under docs/screenshots.
void saveBoxPicture(const CapturedBox& captured, QWidget* owner, const QString& name)
{
    auto box = MessageBoxes::createBox(captured, owner);
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    QTest::qWait(100);
    const QString path = QDir(QStringLiteral(TK28950_SCREENSHOTS)).filePath(name + ".png");
    EXPECT_TRUE(box->grab().toImage().save(path)) << path.toStdString();
}

} // namespace

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
    QDir dir = screenshotScratch();
    ASSERT_TRUE(mapLockedDevice(dir.filePath("ttyUSB0"), 4));
    SetupWindow window;
    window.selectPort(4);
    {
        AsUserWithoutRights asUser;
        window.click("CmdInitialize");
    }
    qunsetenv("TK28950_PORT_4");
    ASSERT_EQ(window.boxes.size(), 2);
    if (!window.boxes.first().informative.contains("Permission denied"))
        GTEST_SKIP() << "this run may open any file";
    saveBoxPicture(window.boxes.first(), &window.form(), "port-failure");
    dir.removeRecursively();
}

// The one box of a coefficient file with a value that is no coefficient.
TEST(Screenshots, CoefficientFileBox)
{
    QDir dir = screenshotScratch();
    const QString path = dir.filePath("output_1onx.coef");
    ASSERT_TRUE(writeFileBytes(path, "12 40 4294967296 7\r\n"));
    SetupWindow window;
    window.type("TxtFilePath", path);
    window.click("LoadCoefX");
    ASSERT_EQ(window.boxes.size(), 1);
    saveBoxPicture(window.boxes.first(), &window.form(), "coef-file-error");
    dir.removeRecursively();
}

// The end of a write-back from a file with lines that hold no cell.
TEST(Screenshots, WriteBackWithSkippedLinesBox)
{
    Simulator module;
    ASSERT_TRUE(startSimulator(module, 1));
    QDir dir = screenshotScratch();
    const QString path = dir.filePath("EEPROMData.txt");
    ASSERT_TRUE(writeFileBytes(path, "Address\tValue\r\n0\t12\r\n1\t34\r\n2\tTK28950 TIME "
                                     "OUT\r\n3\t\r\n4\t56\r\n5\t78\r\n7\t300\r\n"));
    SetupWindow window;
    window.type("TxtEEPROMFile", path);
    window.click("CmdWriteEEPROM");
    ASSERT_EQ(window.boxes.size(), 1);
    EXPECT_EQ(window.boxes.first().text,
              "3 lines of " + path +
                  " were skipped (not an address and a value from 0 to 255): lines 4, 5 and 8; "
                  "all other cells were written.");
    saveBoxPicture(window.boxes.first(), &window.form(), "write-back-skipped-lines");
    dir.removeRecursively();
}
