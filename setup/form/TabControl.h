#pragma once
// The window's tab control: one row of equally wide tabs of a fixed height,
// and pages whose frames are placed relative to the tab control itself
// (tabs included), as the window's layout gives them.
#include <QRect>
#include <QTabWidget>

class QWidget;

class TabControl : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kTabHeight = 40;

    explicit TabControl(int tabCount, QWidget* parent = nullptr);

    // Adds a page holding frame, whose geometry is relative to this control.
    void addFramePage(QWidget* frame, const QRect& geometry, const QString& caption);
};
