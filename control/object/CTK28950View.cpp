#include "CTK28950View.h"

#include "CTK28950Ctrl.h"

#include <QPainter>

namespace {

const QColor kReadyFill(0, 255, 0);
const QColor kNotReadyFill(0, 0, 255);
const QString kTimedOutMark = QStringLiteral("Init Module");

// Writes text with its top-left corner at (x, y).
void writeText(QPainter& painter, int x, int y, const QString& text)
{
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

} // namespace

CTK28950View::CTK28950View(const CTK28950Ctrl& control, QWidget* parent)
    : QWidget(parent), m_control(control)
{
}

QSize CTK28950View::sizeHint() const
{
    return {100, 30};
}

void CTK28950View::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect bounds = rect();
    const QColor background = m_control.BackgroundColor(palette().color(QPalette::Window));
    painter.fillRect(bounds, background);
    painter.setBrush(m_control.IsInitialised() ? kReadyFill : kNotReadyFill);
    // The outline lies inside the bounds, right and bottom edges included.
    painter.drawRect(bounds.adjusted(0, 0, -1, -1));

    // Texts are written on the background colour, so the mark hides the
    // part of the name that it covers.
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(background);
    const int x = bounds.left();
    const int y = bounds.height() / 2 - 10;
    writeText(painter, x, y, m_control.ModuleName());
    if (m_control.TimedOut())
        writeText(painter, x, y, kTimedOutMark);
}
