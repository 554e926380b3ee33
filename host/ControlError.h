#pragma once
// A failure of the host side: the control cannot be created, a port cannot
// be opened, the module did not give the answer a request needs. The
// message says what and why, in words for the person at the host; the
// outcome says which kind of ending it was.
#include "RequestOutcome.h"

#include <QString>

#include <stdexcept>

class ControlError : public std::runtime_error {
public:
    explicit ControlError(const QString& message,
                          RequestOutcome outcome = RequestOutcome::CallFailed)
        : std::runtime_error(message.toStdString()), m_message(message), m_outcome(outcome)
    {
    }
    QString message() const { return m_message; }
    RequestOutcome outcome() const { return m_outcome; }

private:
    QString m_message;
    RequestOutcome m_outcome;
};
