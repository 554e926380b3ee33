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
    // A lost answer costs this at least. On a quiet host a cell's exchange
    // takes 2.5 ms on the wire and its answer is handled well within a
    // millisecond; a busy host may now and then be later than this, which
    // costs a resynchronisation and a second try, never a value: the line
    // is brought in step before the next try, and each try of one request
    // waits twice as long as the one before it went unanswered.
    static constexpr int kFloorMs = 20;
    // A lost answer never costs more than this: a third of the control's own
    // time-out, so that a session gives up on a lost answer well before the
    // control's timer would.
    static constexpr int kCeilingMs = tk28950::kCommandTimeoutMs / 3;

    // The bound for one exchange now.
    int ms() const { return m_fixedMs > 0 ? m_fixedMs : m_boundMs; }
    // The bound for a try of a request after unansweredTries of its tries
    // went unanswered: doubled for each, up to the ceiling, whatever the
    // line taught meanwhile. A fixed bound stays as fixed.
    int afterUnanswered(int unansweredTries) const;
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
