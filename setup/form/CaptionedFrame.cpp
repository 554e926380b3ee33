#include "CaptionedFrame.h"

#include <QStyleOptionFrame>
#include <QStylePainter>

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

void CaptionedFrame::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    const QRect caption = captionRect();
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, caption.center().y(), 0, 0);
    frame.lineWidth = 1;
    frame.midLineWidth = 0;
    painter.save();
    painter.setClipRegion(QRegion(rect()).subtracted(caption));
    painter.drawPrimitive(QStyle::PE_FrameGroupBox, frame);
    painter.restore();
    painter.drawItemText(caption, Qt::AlignCenter, palette(), isEnabled(), title(),
                         QPalette::WindowText);
}
