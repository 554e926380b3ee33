#pragma once
// A bubble level: a dot for the X and Y angles inside rings, the outer one
// the smallest full scale of 1, 2, 5, 10, 20, 50 or 100 degrees that holds
// the dot, so that levelling is done by eye at any tilt.
#include <QWidget>

#include <optional>

class BubbleLevel : public QWidget {
    Q_OBJECT
public:
    explicit BubbleLevel(QWidget* parent = nullptr);

    // Degrees; nothing hides the dot.
    void setAngles(std::optional<QPointF> angles);
    double fullScale() const;

    QSize sizeHint() const override { return {220, 220}; }
    QSize minimumSizeHint() const override { return {140, 140}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QPointF> m_angles;
};
