#pragma once
// When the answer to a method can come at the soonest: no sooner than the
// shortest round trip its answers have taken on this line, the bytes of
// request and answer crossing the wire included. Until shortly before then a
// wait leaves the line alone, so that the answer's bytes, which a serial
// line may hand over one at a time, are taken in one go rather than with a
// wake-up for each. It never delays an answer that takes as long as any
// before it; a shorter one (a refusal in place of a reading) is taken at
// most this early time late.
#include "Dispatch.h"

#include <QHash>
#include <QtGlobal>

class EarliestAnswer {
public:
    // How long after its request a wait for the method's answer may leave
    // the line alone; 0 until one of its answers has been timed.
    qint64 holdOffUs(component::DispId method) const;
    // The round trip of an answer to the method that was taken.
    void answered(component::DispId method, qint64 roundTripUs);

private:
    QHash<component::DispId, qint64> m_shortestUs;
};
