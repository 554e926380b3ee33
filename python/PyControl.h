#pragma once
// tk28950.Control: one control on one module for Python. Every call runs the
// Qt event loop inside it, with the interpreter's lock released while it
// waits on the line; the control's events reach Python callbacks (the lock
// taken again for them) and a queue that events() reads.
#include "ControlSession.h"

#include <pybind11/pybind11.h>

#include <deque>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

// One event of the control, as Python sees it.
struct PyEvent {
    std::string name;
    std::string text;
    int dispid = 0;
};

class PyControl {
public:
    // Events kept for events() at most; older ones are dropped and counted.
    static constexpr std::size_t kQueueBound = 10000;

    // No timeout: the bound learns the line's round trips.
    PyControl(std::optional<double> timeoutSeconds, bool singleRead);
    ~PyControl();

    void init(const pybind11::object& port);
    void close();
    bool isClosed() const { return !m_session; }

    double timeout() const;
    void setTimeout(std::optional<double> seconds);

    // A published member by dispid, with Python values; name names it in
    // failures.
    pybind11::object call(component::DispId dispid, const QString& name,
                          const pybind11::args& args);
    pybind11::object get(component::DispId dispid, const QString& name);
    void put(component::DispId dispid, const QString& name, const pybind11::handle& value);

    PyEvent request(const std::string& method, const pybind11::args& args);
    // "x" or "y"; the reading as a number, read until two readings agree.
    double reading(const std::string& axis);
    int readCell(int address);
    void writeCell(int address, int value);
    std::vector<int> dump();
    void restore(const std::vector<int>& cells, bool verify);

    void connect(const pybind11::function& callback, const std::optional<std::string>& event);
    void disconnect(const pybind11::function& callback);
    // The next queued event, waiting until deadline for one to arrive.
    std::optional<PyEvent> nextEvent(std::chrono::steady_clock::time_point deadline);
    std::size_t droppedEvents() const { return m_dropped; }

private:
    struct Callback {
        pybind11::function function;
        std::optional<std::string> event;
    };

    ControlSession& session();
    template <typename Work> auto unlocked(Work work, bool helper = false);
    void deliver(component::DispId event, const QString& text);
    ControlSession::Progress interruptible();

    std::unique_ptr<ControlSession> m_session;
    std::thread::id m_thread;
    std::deque<PyEvent> m_queue;
    std::size_t m_dropped = 0;
    std::vector<Callback> m_callbacks;
    std::optional<pybind11::error_already_set> m_callbackError;
    int m_helperDepth = 0;
};
