#include "TabControl.h"

#include <QEvent>
#include <QTabBar>

namespace {

class FixedTabBar : public QTabBar {
public:
    FixedTabBar(int tabCount, QWidget* parent) : QTabBar(parent), m_tabCount(tabCount)
    {
        setExpanding(false);
        setUsesScrollButtons(false);
    }

protected:
    QSize tabSizeHint(int) const override
    {
        const int width = parentWidget() ? parentWidget()->width() : 0;
        return {width / m_tabCount, TabControl::kTabHeight};
    }

private:
    int m_tabCount;
};

// A page that keeps its frame where the layout puts it relative to the tab
// control, wherever the tab control places the page.
class FramePage : public QWidget {
public:
    FramePage(QWidget* frame, const QRect& geometry, QTabWidget* tabs)
        : m_frame(frame), m_geometry(geometry), m_tabs(tabs)
    {
        frame->setParent(this);
        place();
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Show)
            place();
        return QWidget::event(event);
    }

private:
    void place()
    {
        const QPoint origin = m_tabs->isAncestorOf(this) ? mapTo(m_tabs, QPoint(0, 0)) : QPoint();
        m_frame->setGeometry(m_geometry.translated(-origin));
    }

    QWidget* m_frame;
    QRect m_geometry;
    QTabWidget* m_tabs;
};

} // namespace

TabControl::TabControl(int tabCount, QWidget* parent) : QTabWidget(parent)
{
    setTabBar(new FixedTabBar(tabCount, this));
}

void TabControl::addFramePage(QWidget* frame, const QRect& geometry, const QString& caption)
{
    addTab(new FramePage(frame, geometry, this), caption);
}
