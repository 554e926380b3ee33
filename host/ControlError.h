#pragma once
// A failure of the host side: the control cannot be created, a port cannot
// be opened, the module did not give the answer a request needs. The
// message says what and why, in words for the person at the host.
#include <QString>

#include <stdexcept>

class ControlError : public std::runtime_error {
public:
    explicit ControlError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};
