#include "ModuleState.h"

namespace {
constexpr quint8 ResetProtectedBit = 0x10; // in cell 9: set means the EEPROM reset is refused
constexpr int ConfigurationCell = 9;

int field(const QByteArray& command, int start, int length)
{
    return command.mid(start, length).toInt();
}
} // namespace

// The reset answer spans two lines separated by a lone CR; the blank after
// it is the byte a host drops after a lone line end.
const QByteArray ModuleState::ResetAnswer = "TK28950 V1.2\r READY";

ModuleState::ModuleState(EepromStore& eeprom, const ModuleSettings& settings)
    : m_eeprom(eeprom), m_settings(settings)
{
}

QByteArray ModuleState::execute(const QByteArray& command)
{
    switch (command.at(0)) {
    case 'e':
        return QByteArray::number(m_settings.temperatureTenths);
    case 'g':
        return toggle(m_correction);
    case 'm':
        return toggle(m_angleOutput);
    case 'b':
        return toggle(m_dac);
    case 'x':
        return reset();
    case 'v':
        return m_settings.version;
    case 'l':
        return resetEeprom();
    case 'c':
        return reading(m_settings.angleX);
    case 'd':
        return reading(m_settings.angleY);
    case 'a':
        return "Z";
    case 'i':
        return readCell(command);
    case 'h':
        return writeCell(command);
    case 'p':
        return "OK";
    case 's':
        return setSignal(m_signal1, true);
    case 'r':
        return setSignal(m_signal1, false);
    case 't':
        return setSignal(m_signal2, true);
    case 'u':
        return setSignal(m_signal2, false);
    case 'n':
        return readSignals();
    }
    return "E";
}

QByteArray ModuleState::toggle(bool& function)
{
    if (!m_settings.stuckToggles)
        function = !function;
    return state(function);
}

QByteArray ModuleState::reset()
{
    m_correction = m_angleOutput = m_dac = false;
    return ResetAnswer;
}

QByteArray ModuleState::resetEeprom()
{
    if (m_eeprom.cell(ConfigurationCell) & ResetProtectedBit)
        return "N";
    m_eeprom.restoreDefaults();
    return "g";
}

QByteArray ModuleState::readCell(const QByteArray& command) const
{
    return QByteArray::number(m_eeprom.cell(field(command, 1, 3)));
}

QByteArray ModuleState::writeCell(const QByteArray& command)
{
    m_eeprom.write(field(command, 1, 3), static_cast<quint8>(field(command, 4, 3)));
    return "0";
}

QByteArray ModuleState::readSignals() const
{
    return QString::asprintf("%d,%d,%d,%d", int(m_signal1), int(m_signal2), m_settings.signal3,
                             m_settings.signal4)
        .toLatin1();
}

QByteArray ModuleState::setSignal(bool& signal, bool on)
{
    signal = on;
    return state(on);
}

QByteArray ModuleState::reading(double degrees)
{
    return QString::asprintf("%+07.3f", degrees).toLatin1();
}

QByteArray ModuleState::state(bool on)
{
    return on ? "1" : "0";
}
