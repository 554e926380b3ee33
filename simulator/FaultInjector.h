#pragma once

#include <QByteArray>
#include <QRandomGenerator>

#include <optional>

// Faults of a poor line or a busy module, chosen per command.
struct FaultSettings {
    quint32 seed = 1;
    double dropProbability = 0;  // the answer is lost
    double errorProbability = 0; // "E" instead of the answer; the command has no effect
    double noiseProbability = 0; // stray bytes in or before the answer
    int errorRepeat = 0;        // every command is refused this many times before it is carried out
    double slowProbability = 0; // the answer is held back slowMs more
    int slowMs = 1000;
    bool silent = false;         // no answer ever leaves the module
    double splitProbability = 0; // a lone CR inside the answer ("23\r6")
    double flipProbability = 0;  // one bit of one digit of the answer flipped
    double staleProbability = 0; // the previous answer comes again before the answer
    int stallMs = 0;             // the module stalls once this long before an answer ...
    int stallAfter = 10;         // ... after answering this many commands
    std::optional<int> dropCell; // every answer to a read of this cell is lost
};

struct FaultVerdict {
    bool refuse = false;     // answer "E" and leave the module unchanged
    bool dropAnswer = false; // carry the command out but send nothing
    bool addNoise = false;
    int extraDelayMs = 0; // the module takes this much longer over the answer
    bool split = false;
    bool flip = false;
    bool stale = false;
};

// Decides the faults of each command from a seeded generator, so that a run
// with the same seed and the same commands sees the same faults.
class FaultInjector {
public:
    explicit FaultInjector(const FaultSettings& settings);

    FaultVerdict judge(const QByteArray& command);

    // The answer text with blanks, NUL or 0xB0 bytes inside it, and/or a lone
    // CR and a byte in front of it: bytes that a host drops, though the lone
    // line end counts as a communication fault.
    QByteArray addNoise(const QByteArray& answer);
    // The answer with a lone CR inside it: the byte after it is dropped by a
    // host and the line ends early, so "236" may arrive as "23".
    QByteArray split(const QByteArray& answer);
    // The answer with one bit of one of its digits flipped, as the line may
    // do without anyone noticing: "52" may arrive as "56" (or "5" and a byte
    // that is dropped).
    QByteArray flipBit(const QByteArray& answer);

private:
    bool repeatRefuses(const QByteArray& command);
    bool chance(double probability);

    FaultSettings m_settings;
    QRandomGenerator m_random;
    QRandomGenerator m_slowRandom;
    // The line faults draw from a generator of their own, so that adding
    // them shifts none of the patterns above.
    QRandomGenerator m_lineRandom;
    QByteArray m_droppedRead; // the read command of dropCell, if any
    int m_answered = 0;
    QByteArray m_repeatedCommand;
    int m_refusals = 0;
};
