#pragma once
// One control on one module, for hosts that want the module's answers
// rather than the control's events: creates the control through the
// registry, opens its port, runs a request to the event that answers it,
// reads and writes EEPROM cells with their answers checked, and puts the
// line back in step after a request went wrong, so that a late answer is
// never taken for the answer to a later request. Failures throw
// ControlError; nothing wrong is ever returned as a value.
#include "AnswerWaiter.h"
#include "ControlClient.h"

#include <QString>
#include <QVector>
#include <functional>
#include <memory>

class ControlSession {
public:
    static constexpr int kCells = 256;
    static constexpr int kDefaultTimeoutMs = 1000;

    // Creates the control through the registry.
    ControlSession();
    ~ControlSession();
    ControlSession(const ControlSession&) = delete;
    ControlSession& operator=(const ControlSession&) = delete;

    ControlClient& client() { return *m_client; }

    // Opens the numbered port (InitModule). A device path is first given a
    // port number through the port map's environment variable.
    void open(int port);
    void open(const QString& device);
    bool isOpen() const { return m_port != 0; }

    // How long a request waits for its answer.
    int timeoutMs() const { return m_timeoutMs; }
    void setTimeoutMs(int timeoutMs) { m_timeoutMs = timeoutMs; }

    // A call the control completes itself: a property get or put, or a
    // method whose answer, if any, comes later as an event. Throws when the
    // call fails or the control's command timer expired during it.
    component::Variant invoke(component::InvokeKind kind, component::DispId dispid,
                              const QVector<component::Variant>& args = {});

    // Calls method and waits for the event that answers it. No answer, the
    // control's time-out or ErrorComm throws; the next request then first
    // brings the line back in step.
    Answer request(component::DispId method, const QVector<component::Variant>& args = {});

    // One cell; an answer that is not 0 to 255 (or no acknowledgement of a
    // write) throws, naming the cell.
    int readCell(int address);
    void writeCell(int address, int value);

    // Called after each cell of a dump or restore with the count done so
    // far; it may throw to stop the transfer between two cells.
    using Progress = std::function<void(int cellsDone)>;

    // All cells, in order.
    QVector<int> dump(const Progress& progress = {});
    // Writes all cells from a list of exactly kCells values 0 to 255 (bad
    // input throws std::invalid_argument before anything is sent); with
    // verify, reads them all back and throws naming the cells that differ.
    void restore(const QVector<int>& cells, bool verify = true, const Progress& progress = {});

private:
    void openAs(int port, const QString& description);
    void bringInStep();
    void resynchronise();
    [[noreturn]] void fail(const QString& message);

    std::unique_ptr<ControlClient> m_client;
    std::unique_ptr<AnswerWaiter> m_waiter;
    int m_port = 0;
    int m_timeoutMs = kDefaultTimeoutMs;
    bool m_outOfStep = false;
    bool m_controlTimedOut = false;
};
