#pragma once
// What the window holds, tab by tab: every control with its kind, caption or
// initial content, place and size (pixels, relative to its container), and
// the looks that differ from its kind's.
#include <QRect>
#include <QVector>

namespace form {

enum class Kind {
    Frame,   // a group box; with a caption when text is not empty
    Label,   // a label
    Button,  // a push button
    TextBox, // a one-line text box
    Combo,   // a drop-down list with an edit field
    List,    // a list box one line high
    Progress,
    Control // a place for a control instance (the memory link's)
};

// Text colours besides the default black.
enum class Ink { Default, DarkBlue, DarkerBlue };

struct FontSpec {
    const char* family = nullptr; // nullptr: the kind's family
    double pointSize = 0;         // 0: the kind's size
};

struct ControlSpec {
    const char* name;
    Kind kind;
    const char* text; // caption or initial content
    QRect geometry;
    const char* container = nullptr;      // nullptr: the tab's frame
    const char* accessibleName = nullptr; // nullptr: the caption
    FontSpec font = {};
    Ink ink = Ink::Default;
    const char* items = nullptr; // entries of a combo box, separated by '|'
};

struct TabSpec {
    const char* caption;
    const char* frameName;
    QRect frameGeometry; // relative to the tab control, tabs included
    QVector<ControlSpec> controls;
};

// The four tabs in their order: "Board Setup", "Temperature", "Output", "Memory".
const QVector<TabSpec>& tabs();

} // namespace form
