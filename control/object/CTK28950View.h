#pragma once
// The control's face on the host's form: a box, green while the module is
// initialised and blue otherwise, with the module name and, after a time-out,
// the mark "Init Module" over it.
#include <QWidget>

class CTK28950Ctrl;

class CTK28950View : public QWidget {
    Q_OBJECT
public:
    CTK28950View(const CTK28950Ctrl& control, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CTK28950Ctrl& m_control;
};
