#pragma once
// The control's one property page. It edits no property yet; its Help
// button opens the help file.
#include <QRect>
#include <QWidget>

class CTK28950PropPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHelpButtonId = 201;

    explicit CTK28950PropPage(QWidget* parent = nullptr);

    // Dialog units to pixels, on the fixed base of an 8-point font.
    static QRect fromDialogUnits(const QRect& units);

private slots:
    void OnHelp();
};
