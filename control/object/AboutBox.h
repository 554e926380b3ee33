#pragma once
// The About box: the control's name, version and description, shown
// modally; outside a widget application it is written to standard error.
class QWidget;

void showAboutBox(QWidget* parent);
