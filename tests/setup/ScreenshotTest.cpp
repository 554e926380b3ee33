// Pictures of the four tabs for the documentation, taken from the real window
// initialised on a simulated module.
#include "SetupWindow.h"
#include "Simulator.h"

#include <QDir>
#include <QImage>
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
