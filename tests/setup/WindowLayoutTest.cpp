// The window as the operator sees it before anything is pressed.
#include "CaptionedFrame.h"
#include "FormTables.h"
#include "SetupWindow.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QColor textColor(QWidget* widget)
{
    const bool box = qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
                     qobject_cast<QListWidget*>(widget);
    return widget->palette().color(box ? QPalette::Text : QPalette::WindowText);
}

} // namespace

TEST(WindowLayout, CaptionSizeTabsAndStartingTab)
{
    SetupWindow window;
    EXPECT_EQ(window.form().windowTitle(), "TK28950 Interface");
    EXPECT_EQ(window.form().size(), QSize(738, 614));
    EXPECT_FALSE(window.form().windowIcon().isNull());

    auto* tabs = window.find<QTabWidget>("SSTab1");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->geometry(), QRect(7, 40, 731, 572));
    ASSERT_EQ(tabs->count(), 4);
    const QStringList captions{"Board Setup", "Temperature", "Output", "Memory"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_EQ(tabs->tabBar()->tabRect(0).height(), 40);
    EXPECT_EQ(tabs->tabBar()->font().pointSizeF(), 14.25);
    EXPECT_TRUE(tabs->tabBar()->font().bold());

    EXPECT_EQ(window.find<QLabel>("ImgSymbol_0")->geometry(), QRect(0, 0, 72, 36));
    EXPECT_EQ(window.find<QLabel>("ImgSymbol_1")->geometry(), QRect(72, 0, 288, 36));
    EXPECT_FALSE(window.find<QLabel>("ImgSymbol_1")->pixmap().isNull());
    auto* control = window.find<QWidget>("TK28950A");
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), QRect(648, 1, 89, 40));
    EXPECT_EQ(control->parentWidget(), &window.form());
}

// Every control of the tables is there, in its container, at its place, with
// its caption or content and an accessible name; each tab's frame lies where
// the layout puts it relative to the tab control, tabs included.
TEST(WindowLayout, EveryControlAtItsPlaceWithItsName)
{
    SetupWindow window;
    auto* tabs = window.find<QTabWidget>("SSTab1");
    for (int index = 0; index < tabs->count(); ++index) {
        const form::TabSpec& tab = form::tabs().at(index);
        tabs->setCurrentIndex(index);
        auto* frame = window.find<QGroupBox>(tab.frameName);
        ASSERT_NE(frame, nullptr) << tab.frameName;
        EXPECT_TRUE(eventually([&] { return frame->isVisible(); }));
        EXPECT_EQ(QRect(frame->mapTo(tabs, QPoint()), frame->size()), tab.frameGeometry)
            << tab.frameName;
        for (const form::ControlSpec& spec : tab.controls) {
            auto* widget = window.find<QWidget>(spec.name);
            ASSERT_NE(widget, nullptr) << spec.name;
            EXPECT_EQ(widget->geometry(), spec.geometry) << spec.name;
            const QString container = spec.container ? spec.container : tab.frameName;
            EXPECT_EQ(widget->parentWidget()->objectName(), container) << spec.name;
            if (spec.kind != form::Kind::Control) {
                EXPECT_FALSE(widget->accessibleName().isEmpty()) << spec.name;
            }
        }
    }
}

TEST(WindowLayout, CaptionsContentsAndAccessibleNames)
{
    SetupWindow window;
    EXPECT_EQ(window.find<QPushButton>("SetGlobalOff")->text(), "Set Gobal offset");
    EXPECT_EQ(window.find<QGroupBox>("Frame5")->title(), "EEPROM Setup ");
    EXPECT_EQ(window.find<QLabel>("LblDesc_6")->text(), "Global X Offset");
    EXPECT_EQ(window.text("GlobalXoff"), "000");
    EXPECT_EQ(window.text("txtGainY"), "128");
    EXPECT_EQ(window.text("X"), "X");
    EXPECT_EQ(window.text("txtAxis"), "X");
    EXPECT_EQ(window.text("TxtEEPROMFile"), QDir::homePath() + "/Temp/EEPROMData.txt");
    EXPECT_EQ(window.text("TxtFilePath"), QDir::homePath() + "/Temp/output_1onx.coef");

    auto* zoom = window.find<QComboBox>("cmbZoom");
    EXPECT_EQ(zoom->currentIndex(), -1);
    EXPECT_EQ(zoom->currentText(), "Zoom Selection");
    EXPECT_EQ(zoom->count(), 4);
    EXPECT_EQ(zoom->itemText(3), "8");

    QStringList ports;
    for (int port = 1; port <= 15; ++port)
        ports.append(QString::number(port));
    auto* cmbPortNum = window.find<QComboBox>("CmbPortNum");
    auto* lstPortNum = window.find<QListWidget>("LstPortNum");
    ASSERT_EQ(cmbPortNum->count(), 15);
    ASSERT_EQ(lstPortNum->count(), 15);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(cmbPortNum->itemText(i), ports[i]);
        EXPECT_EQ(lstPortNum->item(i)->text(), ports[i]);
    }
    EXPECT_EQ(cmbPortNum->currentText(), "1");
    ASSERT_EQ(lstPortNum->selectedItems().size(), 1);
    EXPECT_EQ(lstPortNum->selectedItems().first()->text(), "1");

    auto* progress = window.find<QProgressBar>("PrgbarEEPROM");
    EXPECT_TRUE(progress->isHidden());
    EXPECT_EQ(progress->maximum(), 100);
    auto* timer = window.find<QTimer>("TmrDataReceived");
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->interval(), 100);

    // A label's box carries the label's text; the two "address" boxes differ.
    EXPECT_EQ(window.find<QWidget>("txtSFX")->accessibleName(), "Scale Factor on X-Axis");
    EXPECT_EQ(window.find<QWidget>("CmdSaveEEPROM")->accessibleName(),
              "Read EEPROM and Save Data in File");
    EXPECT_NE(window.find<QWidget>("ReadAdd")->accessibleName(),
              window.find<QWidget>("WriteAdd")->accessibleName());
    QSet<QString> boxNames;
    for (auto* edit : window.form().findChildren<QLineEdit*>()) {
        if (edit->objectName().isEmpty())
            continue; // the edit field inside a combo box
        EXPECT_FALSE(boxNames.contains(edit->accessibleName()))
            << edit->accessibleName().toStdString();
        boxNames.insert(edit->accessibleName());
    }
}

TEST(WindowLayout, FontsAndColours)
{
    SetupWindow window;
    const auto fontOf = [&](const char* name) { return window.find<QWidget>(name)->font(); };
    for (const char* button : {"CmdInitialize", "CmdSaveEEPROM", "cmdZoomY"}) {
        EXPECT_EQ(fontOf(button).family(), "Arial") << button;
        EXPECT_EQ(fontOf(button).pointSizeF(), 12) << button;
        EXPECT_TRUE(fontOf(button).bold()) << button;
    }
    for (const char* text : {"Label7", "txtSN", "CmbPortNum", "TxtEEPROMFile"}) {
        EXPECT_EQ(fontOf(text).family(), "Times New Roman") << text;
        EXPECT_EQ(fontOf(text).pointSizeF(), 11.25) << text;
        EXPECT_TRUE(fontOf(text).bold()) << text;
    }
    EXPECT_EQ(fontOf("txtTempOff").family(), "Arial");
    EXPECT_EQ(fontOf("LstPortNum").family(), "Arial");
    EXPECT_EQ(fontOf("LstPortNum").pointSizeF(), 12);
    EXPECT_EQ(fontOf("LblPortNumber").pointSizeF(), 12);
    EXPECT_EQ(fontOf("Frame12").pointSizeF(), 11.25);
    EXPECT_EQ(fontOf("Frame2").pointSizeF(), 12);
    // Arial and Times New Roman are served by metric-compatible fonts.
    EXPECT_FALSE(QFontInfo(fontOf("CmdInitialize")).family().isEmpty());

    const QColor darkBlue(0, 0, 128);
    const QColor darkerBlue(0, 0, 64);
    for (const char* name :
         {"Label3", "LblFileName", "CmbPortNum", "cmbZoom", "TxtEEPROMFile", "TxtFilePath"})
        EXPECT_EQ(textColor(window.find<QWidget>(name)), darkBlue) << name;
    for (const char* name : {"txtTempOff", "txtAxis", "LstPortNum"})
        EXPECT_EQ(textColor(window.find<QWidget>(name)), darkerBlue) << name;
    EXPECT_EQ(textColor(window.find<QWidget>("txtSN")), QColor(Qt::black));
    EXPECT_EQ(textColor(window.find<QWidget>("Frame8")), QColor(0, 128, 128));
}

// A captioned frame's line runs through its caption, and every control of
// the frame lies wholly inside it, below that line.
TEST(WindowLayout, CaptionedFramesHoldTheirControlsInside)
{
    SetupWindow window;
    int captioned = 0;
    for (auto* frame : window.form().findChildren<QGroupBox*>()) {
        if (frame->title().isEmpty())
            continue;
        auto* drawn = dynamic_cast<CaptionedFrame*>(frame);
        ASSERT_NE(drawn, nullptr) << frame->objectName().toStdString();
        ++captioned;
        const int line = drawn->captionRect().center().y();
        for (auto* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_GT(child->geometry().top(), line + 1) << child->objectName().toStdString();
            EXPECT_TRUE(frame->rect().contains(child->geometry()))
                << child->objectName().toStdString();
        }
    }
    EXPECT_EQ(captioned,
              5); // Serial Number, EEPROM Setup, Scale Factors, Offset and Correction Setup
}

TEST(WindowLayout, TheWindowIsAFrameToAssistiveTechnology)
{
    SetupWindow window;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&window.form());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Window);
    EXPECT_EQ(accessible->text(QAccessible::Name), "TK28950 Interface");
}
