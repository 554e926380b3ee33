#pragma once
// The operator's window: four tabs of commands for one inclinometer module,
// served by two control instances. TK28950A takes the commands of the
// "Board Setup", "Temperature" and "Output" tabs; TK28950B is the link of
// the EEPROM file transfers of the "Memory" tab.
#include "EepromTransfer.h"
#include "MessageBoxes.h"
#include "PropertySteps.h"
#include "TransferTiming.h"

#include <QWidget>
#include <functional>
#include <memory>

class ControlClient;
class MemoryTransferLink;

class FrmTK28950 : public QWidget {
    Q_OBJECT
public:
    // Takes both control instances, already created.
    FrmTK28950(std::unique_ptr<ControlClient> tk28950A, std::unique_ptr<ControlClient> tk28950B,
               QWidget* parent = nullptr);
    ~FrmTK28950() override;

    MessageBoxes& messages() { return m_messages; }
    MemoryTransferLink& memoryLink() { return *m_link; }
    void setTiming(const TransferTiming& timing);

    static QString defaultEepromFilePath();
    static QString defaultCoefficientFilePath();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void wireEvents();
    void wireButtons();
    QString textOf(const char* box) const;

    void Form_Load();
    void CmdInitialize_Click();
    void cmdSN_Click();
    void loadCoefficients(const QString& axis, const QString& emptyPathMessage);
    void CmdSaveEEPROM_Click();
    void CmdWriteEEPROM_Click();
    void runTransfer(const QString& invalidPortMessage,
                     const std::function<TransferMessage()>& transfer);
    void setTransferControlsEnabled(bool enabled);

    MessageBoxes m_messages;
    MemoryTransferLink* m_link = nullptr;
    std::unique_ptr<EepromTransfer> m_transfer;
    // Last members: the controls go first when the window ends, while the
    // window and its message boxes are still there.
    std::unique_ptr<ControlClient> m_tk28950A;
    std::unique_ptr<ControlClient> m_tk28950B;
    PropertySteps m_steps;
};
