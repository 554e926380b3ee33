#pragma once
// How long a request waits for its answer before it is taken as lost. The
// bound learns the line as a retransmission timer does: it follows the
// smoothed round trip plus four times its variation, within a floor and a
// ceiling, and doubles after an answer that did not come (until the next
// measured round trip). A host may fix it instead.
#include "ModuleLimits.h"

#include <QtGlobal>

class AnswerBound {
public:
    // Before any round trip is known: fifty times the longest regular
    // exchange on the wire (5 ms at 38400 baud), six times wire and a USB
    // adapter together.
    static constexpr int kStartMs = 250;
    // Below this, a busy host's scheduling alone would make answers late
    // (a wire time of 2.5 ms and an adapter's 16 ms each way are far below).
    static constexpr int kFloorMs = 100;
    // A lost answer never costs more than this: a third of the control's own
    // time-out, so that a session gives up on a lost answer well before the
    // control's timer would.
    static constexpr int kCeilingMs = tk28950::kCommandTimeoutMs / 3;

    // The bound for one exchange now.
    int ms() const { return m_fixedMs > 0 ? m_fixedMs : m_boundMs; }
    // Fixes the bound (a host's explicit time-out); 0 lets it learn again.
    void fix(int ms) { m_fixedMs = ms; }
    bool isFixed() const { return m_fixedMs > 0; }

    // The round trip of a request answered at its first try.
    void measured(qint64 roundTripUs);
    // A request went unanswered within the bound.
    void expired();

private:
    int m_fixedMs = 0;
    int m_boundMs = kStartMs;
    double m_smoothedUs = -1; // none measured yet
    double m_variationUs = 0;
};
