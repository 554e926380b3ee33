#pragma once
// Builds the widgets of the window from its tables: kinds, captions and
// initial contents, places, fonts, colours and accessible names.
#include "FormTables.h"

#include <QFont>
#include <QString>
#include <functional>

class QWidget;
class TabControl;

namespace form {

// The visible face of a control instance, created as a child of parent.
using ControlWidgetFactory = std::function<QWidget*(const QString& name, QWidget* parent)>;

// Builds the tab's frame with all its controls and adds it as a page.
void buildTab(const TabSpec& tab, TabControl* tabControl, const ControlWidgetFactory& controls);

// Fonts of the window: family, bold, point size.
QFont windowFont(const char* family, double pointSize);

} // namespace form
