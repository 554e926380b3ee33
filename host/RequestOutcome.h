#pragma once
// How one request to the module ended, and the words for it. Every host
// (the tool, Python, the SDK session, the setup program) tells the same
// ending in the same words.
#include <QString>

enum class RequestOutcome {
    Answered,       // the module's answer, of the expected shape
    TimedOut,       // no answer within the bound (or the control's own time-out)
    Damaged,        // a line came, but damaged on its way: its text is no value
    Refused,        // the module answered "E"
    WrongShape,     // an answer that does not fit the request
    NotKept,        // a value written does not read back as written
    Disagreeing,    // reads of the same value gave different answers
    OutOfStep,      // the line could not be brought back in step
    DeviceLost,     // the device went away
    Busy,           // another request of the same control is still running
    NotInitialised, // no port is open
    CallFailed,     // the control refused the call itself
};

// What a request's ending is about: the answer, the bound it waited, an
// expectation, or a reason the control gave. Only what the ending uses is
// looked at.
struct OutcomeDetail {
    QString answer;
    int boundMs = 0;  // TimedOut: the bound; 0 for the control's own time-out
    QString expected; // WrongShape: what would have fitted; NotKept: what was written
    QString reason;   // Damaged, DeviceLost, CallFailed, OutOfStep: the control's words

    static OutcomeDetail waited(int boundMs);
    static OutcomeDetail of(const QString& answer, const QString& expected = {});
    static OutcomeDetail because(const QString& reason);
};

// The ending in words, without the name of what was asked ("no answer
// within 250 ms").
QString describeOutcome(RequestOutcome outcome, const OutcomeDetail& detail = {});

// Whether asking again may bring the answer: a lost, late or damaged answer
// may; a refused call, a lost device or a value not kept will not.
bool isWorthRetrying(RequestOutcome outcome);
