#include "CaptionedFrame.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace {
constexpr int kCaptionIndent = 8;
constexpr int kCaptionPadding = 2;
} // namespace

CaptionedFrame::CaptionedFrame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent)
{
}

QRect CaptionedFrame::captionRect() const
{
    const QFontMetrics metrics(font());
    return {kCaptionIndent, 0, metrics.horizontalAdvance(title()) + 2 * kCaptionPadding,
            metrics.height()};
}

// Drawn here rather than by the style, since styles put their own margin
// for the caption above a frame's line: an etched line, broken where the
// caption stands.
void CaptionedFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect caption = captionRect();
    painter.save();
    painter.setClipRegion(QRegion(rect()).subtracted(caption));
    qDrawShadeRect(&painter, rect().adjusted(0, caption.center().y(), 0, 0), palette(), true);
    painter.restore();
    style()->drawItemText(&painter, caption, Qt::AlignCenter, palette(), isEnabled(), title(),
                          QPalette::WindowText);
}
