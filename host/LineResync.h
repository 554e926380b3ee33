#pragma once
// Brings the line between a control and its module back in step. Answers
// carry nothing that ties them to their command: the module answers in
// order and the control pairs each answer with its oldest pending command,
// so the answer to a request that was given up, still on its way, would be
// taken for the answer to the next one. The version request "v" is the one
// whose answer no other request can bring back: it is asked until a version
// answer comes, and whatever came before that answer was stale.
#include "AnswerWaiter.h"

#include <QString>
#include <functional>
#include <optional>

class ControlClient;

namespace LineResync {

struct Pace {
    int answerBoundMs = 1000; // how long one version request waits for its answer
    int asks = 3;             // version requests at most; 0: as many as totalBoundMs allows
    int totalBoundMs = 0;     // the whole resynchronisation at most; 0: no bound of its own
    // Every version request that brought no version answer leaves one answer
    // owed; once in step, those are let go by within this time.
    int owedBoundMs = 0;
    // Once a version answer came, the line must stay quiet for twice its
    // round trip, but no longer than this: the module answers in order, so
    // what it still owes comes right after the answer it gave, and a line
    // meanwhile means that answer was owed to an earlier request; the line
    // is not in step yet and the version is asked again. 0: the version
    // answer is enough.
    int quietMs = 0;
    // The bound of each version request after one that went unanswered,
    // doubled up to this (a module that stalls is asked less and less
    // often). 0: every request waits answerBoundMs.
    int longestAnswerBoundMs = 0;
};

// What the host does around the version requests; every step may be left
// empty.
struct Steps {
    // Makes the control forget its pending commands (a repeated InitModule),
    // before the first request and after the control's time-out. False
    // gives up.
    std::function<bool()> emptyQueue;
    // After a request that brought no version answer (the answer it brought,
    // if any) and before asking again. True when the host has meanwhile let
    // the line fall quiet, so that no answer is owed any more.
    std::function<bool(const std::optional<Answer>&)> beforeAskingAgain;
    // Whether to stop at once: the device went away, the host cancels.
    std::function<bool()> stopped;
};

struct Outcome {
    std::optional<QString> version; // the module's version answer, once in step
    QString callError;              // why the version request could not be made
    qint64 roundTripUs = 0;         // how long the version answer took to come
    // The first version request brought the version and nothing else came:
    // no answer was owed, the line had stayed in step.
    bool foundInStep = false;
};

// Uses waiter, made on client, for the answers; lines nobody asked for
// (ErrorComm) do not take the place of a request's answer and are let go by.
Outcome run(ControlClient& client, AnswerWaiter& waiter, const Pace& pace, const Steps& steps);

} // namespace LineResync
