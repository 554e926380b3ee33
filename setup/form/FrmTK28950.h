#pragma once
// The operator's window: four tabs of commands for one inclinometer module,
// served by two control instances. TK28950A takes the commands of the
// "Board Setup", "Temperature" and "Output" tabs; TK28950B is the link of
// the EEPROM file transfers of the "Memory" tab.
#include "EepromTransfer.h"
#include "MessageBoxes.h"
#include "PropertySteps.h"
#include "TransferTiming.h"
#include "Variant.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

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
    // Calls a method of TK28950A for a button; a refusal or failure that it
    // returns is shown, "Ok" and the empty text are not.
    void callForButton(component::DispId dispid, const QVector<component::Variant>& args);
    // Runs a handler that talks to TK28950A, unless its device went away.
    void runUnlessDeviceLost(const std::function<void()>& handler);
    // Shows a text of TK28950A: an event, or the result of its initialisation.
    // A port that could not be opened is shown with the control's reason.
    void showControlText(const QString& text);
    // Why the control could not open the port, as the line under a box;
    // empty when it could.
    static QString portReasonOf(ControlClient* control, int port);
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
    // Texts of TK28950A's events shown while a button's call runs, so that
    // a result that repeats one of them is not shown twice.
    int m_buttonCalls = 0;
    QStringList m_shownDuringCall;
    // TK28950A reported that its device went away; until "Init" connects it
    // again, its buttons say so rather than show the values of a control
    // that is not initialised.
    bool m_deviceLost = false;
    // The port "Init" is opening, until the reason of a failure was shown.
    std::optional<int> m_portOpening;
};
