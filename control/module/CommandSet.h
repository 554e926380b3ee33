#pragma once
// The asynchronous commands: each builds its command text, sends it with
// what its answer will need and returns at once; the answer is parsed when
// it arrives and reaches the host as an event. They do not check the
// initialised flag: without a port nothing is sent, and then no context is
// queued either.
#include <QString>

class CModuleLink;

class CCommandSet {
public:
    explicit CCommandSet(CModuleLink& link);

    QString ReadTemperature(const QString& unit);
    QString Correction(bool on);
    QString ResetModule();
    QString SendCMD(const QString& text);
    QString Version();
    QString ResetEEPROM();
    QString OutputAngle(bool on);
    QString EnableDAC(bool on);
    QString ReadXChan();
    QString ReadYChan();
    QString Sleep(bool on);
    // Send the EEPROM read and write commands; a text that names no cell or
    // value gives why, and nothing is sent.
    QString ReadEEPROM(const QString& address);
    QString WriteEEPROM(const QString& address, const QString& value);

private:
    QString SendToggle(int command, bool on);
    QString SendPlain(int command);

    CModuleLink& m_link;
};
