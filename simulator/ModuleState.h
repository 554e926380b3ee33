#pragma once

#include "EepromStore.h"

#include <QByteArray>

// What the simulated module measures and how its toggles behave.
struct ModuleSettings {
    int temperatureTenths = 235; // tenths of a degree Centigrade
    double angleX = 1.25;        // degrees
    double angleY = -0.5;
    int signal3 = 0;
    int signal4 = 0;
    bool stuckToggles = false;               // toggles report their state but never change it
    QByteArray version = "TK28950-V1.2.0.1"; // the answer to "v"
};

// The module itself: carries out one valid command and gives its answer
// text, without the line end.
class ModuleState {
public:
    static const QByteArray ResetAnswer;

    ModuleState(EepromStore& eeprom, const ModuleSettings& settings);

    QByteArray execute(const QByteArray& command);

private:
    QByteArray toggle(bool& function);
    QByteArray reset();
    QByteArray resetEeprom();
    QByteArray readCell(const QByteArray& command) const;
    QByteArray writeCell(const QByteArray& command);
    QByteArray readSignals() const;
    static QByteArray setSignal(bool& signal, bool on);
    static QByteArray reading(double degrees);
    static QByteArray state(bool on);

    EepromStore& m_eeprom;
    ModuleSettings m_settings;
    bool m_correction = false;
    bool m_angleOutput = false;
    bool m_dac = false;
    bool m_signal1 = false;
    bool m_signal2 = false;
};
