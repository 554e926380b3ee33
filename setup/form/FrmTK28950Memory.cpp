// The EEPROM file transfers of the "Memory" tab.
#include "FrmTK28950.h"
#include "IntegerText.h"
#include "MemoryTransferLink.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString kMemoryAccess = QStringLiteral("Memory Access");

// The busy pointer, from a click until just before the result is shown.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { restore(); }
    void restore()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
        m_active = false;
    }

private:
    bool m_active = true;
};

} // namespace

void FrmTK28950::CmdSaveEEPROM_Click()
{
    const QString path = textOf("TxtEEPROMFile").trimmed();
    runTransfer(QStringLiteral("Please select valid port number first, then try again."),
                [this, path] { return resultMessage(m_transfer->SaveEEPROMToFile(path), path); });
}

void FrmTK28950::CmdWriteEEPROM_Click()
{
    // The path is taken only once the module is connected.
    runTransfer(QStringLiteral("Please select a valid port number first, then try again."), [this] {
        const QString path = textOf("TxtEEPROMFile").trimmed();
        return resultMessage(m_transfer->WriteFileToEEPROM(path), path);
    });
}

// One transfer at a time, on the port it names: both transfer buttons and the
// port list stay disabled until its result has been shown.
void FrmTK28950::runTransfer(const QString& invalidPortMessage,
                             const std::function<TransferMessage()>& transfer)
{
    BusyPointer busy;
    setTransferControlsEnabled(false);
    const auto finish = [&](const QString& text, const QString& title,
                            const QString& informative = QString()) {
        busy.restore();
        if (!m_link->cancelled())
            m_messages.show(text, title, informative);
        setTransferControlsEnabled(true);
    };
    const QList<QListWidgetItem*> selected =
        findChild<QListWidget*>(QStringLiteral("LstPortNum"))->selectedItems();
    const std::optional<std::int16_t> port =
        integerFromText(selected.isEmpty() ? QString() : selected.first()->text());
    if (!port)
        return finish(invalidPortMessage, kMemoryAccess);
    const std::optional<int> connected = m_link->connectedPort();
    if (connected && *connected != *port)
        return finish(QStringLiteral("Port %1 is selected, but the memory transfer is connected "
                                     "to port %2. Select port %2, or restart the program to use "
                                     "port %1.")
                          .arg(*port)
                          .arg(*connected),
                      kMemoryAccess);
    if (!m_link->GetConnectionToInclinometer(*port)) {
        const QString problem = m_link->connectionProblem();
        return finish(QStringLiteral("GetConnectionToInclinometer Failed."), QString(),
                      problem.isEmpty() ? portReasonOf(m_tk28950B.get(), *port) : problem);
    }
    QCoreApplication::processEvents();
    const TransferMessage result = transfer();
    finish(result.text, result.title);
}

void FrmTK28950::setTransferControlsEnabled(bool enabled)
{
    for (const char* name : {"CmdSaveEEPROM", "CmdWriteEEPROM", "LstPortNum"})
        findChild<QWidget*>(QString::fromUtf8(name))->setEnabled(enabled);
}
