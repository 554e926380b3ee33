#include "ModuleSimulator.h"

#include "Clock.h"
#include "ModuleState.h"
#include "PseudoTerminal.h"

#include <algorithm>

namespace {
constexpr qint64 NsPerMs = 1000000;
constexpr qint64 NsPerSecond = 1000000000;
constexpr int BitsPerByte = 10; // start bit, 8 data bits, stop bit

qint64 byteTimeNs(int baud)
{
    return baud > 0 ? BitsPerByte * NsPerSecond / baud : 0;
}
} // namespace

ModuleSimulator::ModuleSimulator(PseudoTerminal& terminal, ModuleState& module,
                                 const FaultSettings& faults, const TimingSettings& timing,
                                 QObject* parent)
    : QObject(parent), m_terminal(terminal), m_module(module), m_faults(faults), m_timing(timing),
      m_fromHost(byteTimeNs(timing.baud)), m_toHost(byteTimeNs(timing.baud))
{
    connect(&m_terminal, &PseudoTerminal::received, this,
            [this](const QByteArray& bytes) { m_fromHost.push(bytes, Clock::nowNs()); });
    connect(&m_fromHost, &PacedQueue::released, this, &ModuleSimulator::takeArrivedBytes);
    connect(&m_toHost, &PacedQueue::released, &m_terminal, &PseudoTerminal::write);
    if (timing.answersOutliveHost)
        m_terminal.keepUnreadForNextHost();
    else
        connect(&m_terminal, &PseudoTerminal::hostsGone, &m_toHost, &PacedQueue::clear);
}

// The module hears a command when its last byte has crossed the line, which
// is when the line says so, not when the pacing timer got round to it: the
// timer's lateness is the simulating machine's, not the module's.
void ModuleSimulator::takeArrivedBytes(const QByteArray& bytes, qint64 arrivedNs)
{
    for (char byte : bytes) {
        for (const WireCommand& command : m_parser.feed(byte))
            answer(command, arrivedNs);
    }
}

void ModuleSimulator::answer(const WireCommand& command, qint64 heardNs)
{
    const FaultVerdict verdict = m_faults.judge(command.text);
    QByteArray text = answerText(command, verdict);
    const qint64 dueNs = answerDueNs(heardNs, verdict.extraDelayMs);
    // Nobody is there to hear an answer to a host that has gone.
    if (verdict.dropAnswer || (!m_timing.answersOutliveHost && !m_terminal.hostPresent()))
        return;
    if (verdict.addNoise)
        text = m_faults.addNoise(text);
    if (verdict.flip)
        text = m_faults.flipBit(text);
    if (verdict.split)
        text = m_faults.split(text);
    if (verdict.stale && !m_lastAnswer.isEmpty())
        m_toHost.push(m_lastAnswer + "\r\n", dueNs);
    m_lastAnswer = text;
    m_toHost.push(text + "\r\n", dueNs);
}

QByteArray ModuleSimulator::answerText(const WireCommand& command, const FaultVerdict& verdict)
{
    if (!command.valid || verdict.refuse)
        return "E";
    return m_module.execute(command.text);
}

qint64 ModuleSimulator::answerDueNs(qint64 heardNs, int extraDelayMs)
{
    m_busyUntilNs = std::max(heardNs, m_busyUntilNs) + (m_timing.delayMs + extraDelayMs) * NsPerMs;
    return m_busyUntilNs + m_timing.lateMs * NsPerMs;
}
