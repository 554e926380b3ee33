#pragma once

#include "CommandParser.h"
#include "FaultInjector.h"
#include "PacedQueue.h"

#include <QObject>

class ModuleState;
class PseudoTerminal;

// How the line and the module take their time.
struct TimingSettings {
    int baud = 0;    // 0: no pacing
    int delayMs = 0; // the module's time to work out each answer, one command after another
    int lateMs = 0;  // how long every answer is held back on its way
    // Answers on their way when the host closes the device are still sent,
    // and wait in it for the next host, as from a module that cannot know
    // its host left. Otherwise they are lost with the host.
    bool answersOutliveHost = false;
};

// Joins the line to the module: bytes from the host cross the (paced) line,
// are cut into commands and carried out, and each answer, after the faults
// have had their say, goes back over the line with CR LF after it.
class ModuleSimulator : public QObject {
    Q_OBJECT
public:
    ModuleSimulator(PseudoTerminal& terminal, ModuleState& module, const FaultSettings& faults,
                    const TimingSettings& timing, QObject* parent = nullptr);

private:
    void takeArrivedBytes(const QByteArray& bytes, qint64 arrivedNs);
    void answer(const WireCommand& command, qint64 heardNs);
    QByteArray answerText(const WireCommand& command, const FaultVerdict& verdict);
    qint64 answerDueNs(qint64 heardNs, int extraDelayMs);

    PseudoTerminal& m_terminal;
    ModuleState& m_module;
    FaultInjector m_faults;
    TimingSettings m_timing;
    CommandParser m_parser;
    PacedQueue m_fromHost;
    PacedQueue m_toHost;
    qint64 m_busyUntilNs = 0;
    QByteArray m_lastAnswer; // sent again by the stale-answer fault
};
