#pragma once
// The module object: the command set of the inclinometer module on top of
// the link layer, the reply parser and the coefficient file loader.
// Waiting operations close the owner's event gate, send, wait for the
// answers and return a result; asynchronous ones send and return at once.
#include "../link/ModuleLink.h"

#include <QString>
#include <functional>
#include <optional>

class CModule : public CModuleLink {
public:
    CModule();
    ~CModule() override;

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

    bool Signal(int index) const; // 1 to 4
    int ZoomCellCopy() const { return m_zoomCell; }

    // True while a waiting request started by a host call runs; a second one
    // is refused with BusyText() (resends from inside the parser still run).
    bool RequestInProgress() const;
    static QString BusyText();

    // The frame of a waiting request, for the control's own EEPROM reads and
    // writes: BeginRequest refuses (false, nothing changed) while another
    // host request waits, else closes the event gate; EndRequest opens it
    // when the outermost request ends.
    // Between them: ClearReply(), ReadEEPROM/WriteEEPROM, WaitForReply().
    bool BeginRequest();
    void EndRequest();
    void ClearReply() { m_strReply.clear(); }

protected:
    int ParseReply() override;

private:
    using AnswerRow = int (CModule::*)(const PendingCommand& command, const QString& line);

    // The frame of a waiting request: not-initialised, timed-out and busy
    // fallbacks, the event gate closed around body, and a time-out met on
    // the way reported as such.
    QString TextRequest(const std::function<QString()>& body);
    qint16 NumberRequest(const std::function<qint16()>& body);

    int SendWith(const QString& text, const QString& context = {}, bool raw = false);
    QString SendToggle(int command, bool on);
    bool WaitForCommand(int command);
    QString CommandRequest(int command, const QString& failure);

    // Cell access, inside a request frame.
    struct CellAnswer {
        bool answered = false;
        QString text;
    };
    CellAnswer ReadCell(int address);
    int ReadCellValue(int address);
    std::optional<int> ReadCellByte(int address);
    QString WriteCell(int address, int value);
    QString WriteCellText(const QString& address, const QString& value);
    qint16 Read16(int lowCell);
    QString Write16(int lowCell, int value);
    QString UpdateCell(int address, const std::function<int(int)>& change, const QString& success);
    QString UpdateConfigBit(int bit, bool on);
    qint16 ReadZoom(int shift);
    QString WriteZoom(int shift, int factor);
    QString SetGain(int cell, const QString& value);

    // Reply parser rows.
    int AnswerTemperature(const PendingCommand& command, const QString& line);
    int AnswerToggle(const PendingCommand& command, const QString& line);
    int AnswerText(const PendingCommand& command, const QString& line);
    int AnswerRawCommand(const PendingCommand& command, const QString& line);
    int AnswerEepromReset(const PendingCommand& command, const QString& line);
    int AnswerXReading(const PendingCommand& command, const QString& line);
    int AnswerYReading(const PendingCommand& command, const QString& line);
    int AnswerSleep(const PendingCommand& command, const QString& line);
    int AnswerCellRead(const PendingCommand& command, const QString& line);
    int AnswerCellWrite(const PendingCommand& command, const QString& line);
    int AnswerPotSetup(const PendingCommand& command, const QString& line);
    int AnswerSignal(const PendingCommand& command, const QString& line);
    int AnswerSignalRead(const PendingCommand& command, const QString& line);
    AnswerRow RowFor(const QString& command) const;
    static QString ContextOf(const PendingCommand& command, int first, int second);
    // Sends a command again through send, unless it was resent too often:
    // then it is given up (the wait ends, a communication error is reported).
    int Resend(const PendingCommand& command, const std::function<void()>& send);

    bool m_bSignal[4] = {false, false, false, false};
    unsigned char m_zoomCell = 0;
    int m_requestDepth = 0;      // nesting of running waiting requests
    bool m_parserResend = false; // the next request is the parser's own resend
    int m_nextResends = 0;       // resend count of the parser's next send
};
