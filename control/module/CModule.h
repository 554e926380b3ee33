#pragma once
// The module object: one operation per module command, made of the link
// layer, the reply parser, the command set and the cell access. Waiting
// operations close the owner's event gate, send, wait for the answers and
// return a result; asynchronous ones send and return at once.
#include "CellAccess.h"
#include "CommandSet.h"
#include "ReplyParser.h"
#include "link/ModuleLink.h"

#include <QString>
#include <QStringList>

class CModule {
public:
    CModule();
    ~CModule();
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;

    // The link layer, as the owner uses it; Link() gives the rest of it.
    void SetComm(CMSComm* comm) { m_link.SetComm(comm); }
    void SetControl(IModuleOwner* owner) { m_link.SetControl(owner); }
    void SetInitialised(bool on) { m_link.SetInitialised(on); }
    bool IsInitialised() const { return m_link.IsInitialised(); }
    bool IsLinked() const { return m_link.IsLinked(); }
    void ResetLink() { m_link.ResetLink(); }
    int Send(const QString& text) { return m_link.Send(text); }
    int ReceiveByte(unsigned char byte) { return m_link.ReceiveByte(byte); }
    void OnBytesReceived(const QByteArray& bytes) { m_link.OnBytesReceived(bytes); }
    void WaitForReply() { m_link.WaitForReply(); }
    void OnCommandTimeout() { m_link.OnCommandTimeout(); }
    QString Reply() const { return m_link.Reply(); }
    QStringList Pending() const { return m_link.Pending(); }
    CModuleLink& Link() { return m_link; }

    // Asynchronous commands.
    QString ReadTemperature(const QString& unit);
    QString Correction(bool on);
    QString ResetModule();
    QString SendCMD(const QString& text);
    QString Version();
    QString ResetEEPROM();
    QString OutputAngle(bool on);
    QString EnableDAC(bool on);
    QString ReadXChan(unsigned char option);
    QString ReadYChan(unsigned char option);
    QString Sleep(bool on);
    QString ReadEEPROM(const QString& address);
    QString WriteEEPROM(const QString& address, const QString& value);

    // Waiting requests.
    QString EnResetEE(bool on);
    QString StupEnCorrection(bool on);
    QString StupAngleOn(bool on);
    QString PotSetup();
    // Writes a gain cell, then tunes the potentiometers to it.
    QString SetGain(int cell, const QString& value);
    QString LoadCoef(const QString& axis, const QString& file);
    QString SetSignal1(bool on);
    QString SetSignal2(bool on);
    QString ReadSignals();
    QString EnableTempCorr(bool on);
    QString TemperatureCoef(const QString& axis, const QString& mTenSlope, const QString& mTenOff,
                            const QString& fiftySlope, const QString& fiftyOff);

    bool Signal(int index) const { return m_parser.Signal(index); } // 1 to 4

    // True while a waiting request started by a host call runs; a second one
    // is refused with BusyText() (resends from inside the parser still run).
    bool RequestInProgress() const { return m_link.RequestInProgress(); }
    static QString BusyText() { return CModuleLink::BusyText(); }

    // What the last waiting request met that left it without a sound
    // result (its value is then 0 or its text this failure); empty when it
    // had none or fell back on an uninitialised module.
    QString LastFailure() const { return m_link.LastFailure(); }

    // The module's EEPROM cells: the settings kept in them are read and
    // written through this, where the control's member table says each one
    // lies, as are the cells the control reads and writes itself.
    CCellAccess& Cells() { return m_cells; }

private:
    // Sends a command of its own and waits for its answer, in one request.
    bool WaitForCommand(int command);
    QString CommandRequest(int command, const QString& failure);

    CModuleLink m_link;
    CReplyParser m_parser;
    CCommandSet m_commands;
    CCellAccess m_cells;
};
