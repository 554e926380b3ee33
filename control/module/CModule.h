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
#include <initializer_list>
#include <utility>

class CModule {
public:
    CModule();
    virtual ~CModule();
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
    virtual QString ReadTemperature(const QString& unit);
    virtual QString Correction(bool on);
    virtual QString ResetModule();
    virtual QString SendCMD(const QString& text);
    virtual QString Version();
    virtual QString ResetEEPROM();
    virtual QString OutputAngle(bool on);
    virtual QString EnableDAC(bool on);
    virtual QString ReadXChan(unsigned char option);
    virtual QString ReadYChan(unsigned char option);
    virtual QString Sleep(bool on);
    virtual QString ReadEEPROM(const QString& address);
    virtual QString WriteEEPROM(const QString& address, const QString& value);

    // Waiting requests.
    virtual QString EnResetEE(bool on);
    virtual QString StupEnCorrection(bool on);
    virtual QString StupAngleOn(bool on);
    virtual QString SetGainX(const QString& value);
    virtual QString PotSetup();
    virtual QString SetGainY(const QString& value);
    virtual QString LoadCoef(const QString& axis, const QString& file);
    virtual qint16 GetScaleFactorX();
    virtual QString SetScaleFactorX(int value);
    virtual QString SetThreWind1(int value);
    virtual QString SetThreWind2(int value);
    virtual qint16 GetThreWind1();
    virtual qint16 GetThreWind2();
    virtual QString SetThreshold1(int value);
    virtual QString SetThreshold2(int value);
    virtual qint16 GetThreshold1();
    virtual qint16 GetThreshold2();
    virtual qint16 GetSerialNumber();
    virtual QString SetSerialNumber(int value);
    virtual QString SetSignal1(bool on);
    virtual QString SetSignal2(bool on);
    virtual QString ReadSignals();
    virtual QString SetScaleFactorY(int value);
    virtual qint16 GetScaleFactorY();
    virtual qint16 GetZoomX();
    virtual QString SetZoomX(int factor);
    virtual qint16 GetZoomY();
    virtual QString SetZoomY(int factor);
    virtual qint16 GetTemperatureOffset();
    virtual QString SetTemperatureOffset(int value);
    virtual QString EnableTempCorr(bool on);
    virtual QString TemperatureCoef(const QString& axis, const QString& mTenSlope,
                                    const QString& mTenOff, const QString& fiftySlope,
                                    const QString& fiftyOff);

    bool Signal(int index) const { return m_parser.Signal(index); } // 1 to 4
    int ZoomCellCopy() const { return m_cells.ZoomCellCopy(); }

    // True while a waiting request started by a host call runs; a second one
    // is refused with BusyText() (resends from inside the parser still run).
    bool RequestInProgress() const { return m_link.RequestInProgress(); }
    static QString BusyText() { return CModuleLink::BusyText(); }

    // What the last waiting request met that left it without a sound
    // result (its value is then 0 or its text this failure); empty when it
    // had none or fell back on an uninitialised module.
    QString LastFailure() const { return m_link.LastFailure(); }

    // The control's own EEPROM reads and writes (see CCellAccess).
    std::optional<QList<int>> ReadCellValues(std::initializer_list<int> cells)
    {
        return m_cells.ReadValues(cells);
    }
    QString WriteCellValues(std::initializer_list<std::pair<int, int>> cellValues)
    {
        return m_cells.WriteValues(cellValues);
    }

private:
    // Sends a command of its own and waits for its answer, in one request.
    bool WaitForCommand(int command);
    QString CommandRequest(int command, const QString& failure);
    QString SetGain(int cell, const QString& value);

    CModuleLink m_link;
    CReplyParser m_parser;
    CCommandSet m_commands;
    CCellAccess m_cells;
};
