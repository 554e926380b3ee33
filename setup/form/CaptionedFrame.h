#pragma once
// A frame with a caption that sits on the frame's top line, the line
// passing behind the middle of the caption, so that controls placed just
// below the caption are inside the frame. Styles that draw the frame below
// the caption would cut through such controls.
#include <QGroupBox>

class CaptionedFrame : public QGroupBox {
public:
    CaptionedFrame(const QString& caption, QWidget* parent);

    // Where the caption is drawn, relative to the frame.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
