#include "BubbleLevel.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kScalesDeg[] = {1, 2, 5, 10, 20, 50, 100};
constexpr int kRings = 4;

} // namespace

BubbleLevel::BubbleLevel(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void BubbleLevel::setAngles(std::optional<QPointF> angles)
{
    m_angles = angles;
    update();
}

double BubbleLevel::fullScale() const
{
    const double reach = m_angles ? std::max(std::abs(m_angles->x()), std::abs(m_angles->y())) : 0;
    const auto scale = std::ranges::find_if(kScalesDeg, [&](double s) { return reach <= s; });
    return scale == std::end(kScalesDeg) ? kScalesDeg[std::size(kScalesDeg) - 1] : *scale;
}

void BubbleLevel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(width(), height()) - 24;
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = side / 2;
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(QColor(236, 246, 226));
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring < kRings; ++ring)
        painter.drawEllipse(centre, radius * ring / kRings, radius * ring / kRings);
    painter.drawLine(centre - QPointF(radius, 0), centre + QPointF(radius, 0));
    painter.drawLine(centre - QPointF(0, radius), centre + QPointF(0, radius));

    const double scale = fullScale();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(0, height() - 20, width(), 20), Qt::AlignCenter,
                     tr("outer ring %1°").arg(scale));
    if (!m_angles)
        return;
    // X to the right, Y up, as the module lies in front of the technician.
    const QPointF dot(centre.x() + m_angles->x() / scale * radius,
                      centre.y() - m_angles->y() / scale * radius);
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.setBrush(QColor(255, 176, 0));
    painter.drawEllipse(dot, 9, 9);
}
