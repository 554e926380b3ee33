#pragma once
// Tool tips on the port lists that name the device each port number opens,
// or say that there is none. Devices come and go (an adapter plugged in or
// pulled), so the tips are worked out again each time one is about to show.
#include <QObject>
#include <QString>

class QComboBox;
class QListWidget;

class PortTips : public QObject {
public:
    PortTips(QComboBox* combo, QListWidget* list, QObject* parent);

    static QString tipFor(int port);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    QComboBox* m_combo;
    QListWidget* m_list;
};
