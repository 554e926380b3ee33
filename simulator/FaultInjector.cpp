#include "FaultInjector.h"

#include <QList>

namespace {
enum NoiseKind { Blank = 1, Nul = 2, DegreeByte = 4, LoneLineEnd = 8, AllKinds = 15 };
}

FaultInjector::FaultInjector(const FaultSettings& settings)
    : m_settings(settings), m_random(settings.seed), m_slowRandom(settings.seed ^ 0x5A5A5A5Au),
      m_lineRandom(settings.seed ^ 0xC3C3C3C3u)
{
    if (settings.dropCell)
        m_droppedRead = 'i' + QByteArray::number(*settings.dropCell).rightJustified(3, '0');
}

FaultVerdict FaultInjector::judge(const QByteArray& command)
{
    // Every draw is made for every command, so that enabling one fault does
    // not shift the pattern of another.
    const bool drop = chance(m_settings.dropProbability);
    const bool error = chance(m_settings.errorProbability);
    const bool noise = chance(m_settings.noiseProbability);
    const bool refusedByRepeat = repeatRefuses(command);
    // Slowness has a generator of its own, so that the faults of a seed stay
    // what they were before it existed.
    const bool slow = m_slowRandom.generateDouble() < m_settings.slowProbability;
    const bool split = m_lineRandom.generateDouble() < m_settings.splitProbability;
    const bool flip = m_lineRandom.generateDouble() < m_settings.flipProbability;
    const bool stale = m_lineRandom.generateDouble() < m_settings.staleProbability;
    const bool stall = m_settings.stallMs > 0 && m_answered++ == m_settings.stallAfter;
    return {refusedByRepeat || error,
            drop || m_settings.silent || (!m_droppedRead.isEmpty() && command == m_droppedRead),
            noise,
            (slow ? m_settings.slowMs : 0) + (stall ? m_settings.stallMs : 0),
            split,
            flip,
            stale};
}

bool FaultInjector::repeatRefuses(const QByteArray& command)
{
    if (m_settings.errorRepeat == 0)
        return false;
    if (command != m_repeatedCommand) {
        m_repeatedCommand = command;
        m_refusals = 0;
    }
    if (m_refusals < m_settings.errorRepeat) {
        ++m_refusals;
        return true;
    }
    m_refusals = 0; // carried out: the next identical command is refused again
    return false;
}

bool FaultInjector::chance(double probability)
{
    return m_random.generateDouble() < probability;
}

QByteArray FaultInjector::addNoise(const QByteArray& answer)
{
    const int kinds = 1 + static_cast<int>(m_random.bounded(quint32(AllKinds)));
    QByteArray noisy = answer;
    const auto insertAnywhere = [&](char byte) {
        noisy.insert(static_cast<qsizetype>(m_random.bounded(quint32(noisy.size() + 1))), byte);
    };
    if (kinds & Blank)
        insertAnywhere(' ');
    if (kinds & Nul)
        insertAnywhere('\0');
    if (kinds & DegreeByte)
        insertAnywhere('\xB0');
    if (kinds & LoneLineEnd)
        noisy.prepend("\r#");
    return noisy;
}

QByteArray FaultInjector::split(const QByteArray& answer)
{
    // Between two of its bytes; an answer of one byte gets it in front.
    const qsizetype at = answer.size() < 2 ? 0
                                           : 1 + static_cast<qsizetype>(m_lineRandom.bounded(
                                                     static_cast<quint32>(answer.size() - 1)));
    QByteArray split = answer;
    split.insert(at, '\r');
    return split;
}

QByteArray FaultInjector::flipBit(const QByteArray& answer)
{
    QList<qsizetype> digits;
    for (qsizetype index = 0; index < answer.size(); ++index)
        if (answer[index] >= '0' && answer[index] <= '9')
            digits << index;
    if (digits.isEmpty())
        return answer;
    QByteArray flipped = answer;
    const qsizetype index = digits[m_lineRandom.bounded(static_cast<quint32>(digits.size()))];
    // Any of its eight bits: the digit may become another digit, another
    // character, or a byte a host drops as not printable ("92" as "2").
    flipped[index] = static_cast<char>(flipped[index] ^ (1 << m_lineRandom.bounded(8u)));
    return flipped;
}
