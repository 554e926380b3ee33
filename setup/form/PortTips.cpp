#include "PortTips.h"

#include "PortMap.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QListWidget>

PortTips::PortTips(QComboBox* combo, QListWidget* list, QObject* parent)
    : QObject(parent), m_combo(combo), m_list(list)
{
    combo->installEventFilter(this);
    combo->view()->viewport()->installEventFilter(this);
    list->viewport()->installEventFilter(this);
    refresh();
}

QString PortTips::tipFor(int port)
{
    const QString device = PortMap::DevicePath(port);
    if (device.isEmpty())
        return QStringLiteral("Port %1 names no device").arg(port);
    if (!QFileInfo::exists(device))
        return QStringLiteral("Port %1: no device (%2 does not exist)").arg(port).arg(device);
    return QStringLiteral("Port %1 opens %2").arg(port).arg(device);
}

bool PortTips::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        refresh();
    return false;
}

void PortTips::refresh()
{
    for (int row = 0; row < m_combo->count(); ++row)
        m_combo->setItemData(row, tipFor(m_combo->itemText(row).toInt()), Qt::ToolTipRole);
    bool isNumber = false;
    const int chosen = m_combo->currentText().trimmed().toInt(&isNumber);
    m_combo->setToolTip(isNumber ? tipFor(chosen) : QString());
    for (int row = 0; row < m_list->count(); ++row)
        m_list->item(row)->setToolTip(tipFor(m_list->item(row)->text().toInt()));
}
