#include "PyControl.h"

#include "ControlError.h"
#include "Conversions.h"
#include "EventWait.h"
#include "TK28950Dispids.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

namespace py = pybind11;
using component::DispId;
using component::InvokeKind;
using component::Variant;

namespace {

// The four events: which signal of the client carries each, by dispid. Their
// names are the host side's.
struct EventSignal {
    AnswerEvent event;
    DispId dispid;
    void (ControlClient::*signal)(const QString&);
};

constexpr EventSignal kEvents[] = {
    {AnswerEvent::DataReady, tk28950::event::DataReady, &ControlClient::dataReady},
    {AnswerEvent::ErrorComm, tk28950::event::ErrorComm, &ControlClient::errorComm},
    {AnswerEvent::XReady, tk28950::event::XReady, &ControlClient::xReady},
    {AnswerEvent::YReady, tk28950::event::YReady, &ControlClient::yReady},
};

std::string nameOf(AnswerEvent event)
{
    return AnswerWaiter::eventName(event).toStdString();
}

std::string eventName(DispId dispid)
{
    for (const EventSignal& event : kEvents)
        if (event.dispid == dispid)
            return nameOf(event.event);
    return {};
}

PyEvent toPyEvent(const Answer& answer)
{
    const auto known =
        std::find_if(std::begin(kEvents), std::end(kEvents),
                     [&](const EventSignal& event) { return event.event == answer.event; });
    return {nameOf(answer.event), answer.text.toStdString(), known->dispid};
}

int toMilliseconds(double seconds)
{
    if (!(seconds >= 0.0 && seconds <= 24 * 3600.0))
        throw py::value_error("a timeout is a number of seconds from 0 to 86400");
    return static_cast<int>(seconds * 1000.0 + 0.5);
}

} // namespace

PyControl::PyControl(std::optional<double> timeoutSeconds, bool singleRead)
    : m_session(std::make_unique<ControlSession>()), m_thread(std::this_thread::get_id())
{
    setTimeout(timeoutSeconds);
    m_session->setReadsTwice(!singleRead);
    for (const EventSignal& event : kEvents)
        QObject::connect(
            &m_session->client(), event.signal, &m_session->client(),
            [this, dispid = event.dispid](const QString& text) { deliver(dispid, text); });
}

PyControl::~PyControl()
{
    // The control may still raise an event while it goes; nobody listens then.
    m_callbacks.clear();
    m_callbackError.reset();
    if (m_session) {
        py::gil_scoped_release nogil;
        m_session.reset();
    }
}

ControlSession& PyControl::session()
{
    if (!m_session)
        throw ControlError(QStringLiteral("the control is closed"));
    if (std::this_thread::get_id() != m_thread)
        throw ControlError(QStringLiteral("a Control is used only by the thread that created it"));
    return *m_session;
}

// Runs work with the interpreter's lock released, then raises what a Python
// callback raised while it ran. Events that arrive while a helper waits for
// its answer are for the helper: callbacks see them, the queue does not.
template <typename Work> auto PyControl::unlocked(Work work, bool helper)
{
    ControlSession& module = session();
    m_helperDepth += helper ? 1 : 0;
    std::optional<decltype(work(module))> result;
    std::exception_ptr failure;
    {
        py::gil_scoped_release nogil;
        try {
            result.emplace(work(module));
        } catch (...) {
            failure = std::current_exception();
        }
    }
    m_helperDepth -= helper ? 1 : 0;
    if (m_callbackError)
        throw std::move(*std::exchange(m_callbackError, {}));
    if (failure)
        std::rethrow_exception(failure);
    return std::move(*result);
}

void PyControl::init(const py::object& port)
{
    if (py::isinstance<py::int_>(port) && !py::isinstance<py::bool_>(port)) {
        const int number = port.cast<int>();
        unlocked([number](ControlSession& module) {
            module.open(number);
            return 0;
        });
    } else if (py::isinstance<py::str>(port)) {
        const QString device = QString::fromStdString(port.cast<std::string>());
        unlocked([&device](ControlSession& module) {
            module.open(device);
            return 0;
        });
    } else {
        throw py::type_error("init() takes a port number or a device path");
    }
}

void PyControl::close()
{
    if (!m_session)
        return;
    session();
    py::gil_scoped_release nogil;
    m_session.reset();
}

double PyControl::timeout() const
{
    return (m_session ? m_session->timeoutMs() : AnswerBound::kStartMs) / 1000.0;
}

void PyControl::setTimeout(std::optional<double> seconds)
{
    session().setTimeoutMs(seconds ? std::max(1, toMilliseconds(*seconds)) : 0);
}

py::object PyControl::call(DispId dispid, const QString& name, const py::args& args)
{
    QVector<Variant> values;
    for (const py::handle& arg : args)
        values.append(conversions::toVariant(arg));
    const Variant result = unlocked([&](ControlSession& module) {
        return module.invoke(InvokeKind::Method, dispid, values, name);
    });
    return conversions::toPython(result);
}

py::object PyControl::get(DispId dispid, const QString& name)
{
    const Variant result = unlocked([&](ControlSession& module) {
        return module.invoke(InvokeKind::PropertyGet, dispid, {}, name);
    });
    return conversions::toPython(result);
}

void PyControl::put(DispId dispid, const QString& name, const py::handle& value)
{
    const Variant argument = conversions::toVariant(value);
    unlocked([&](ControlSession& module) {
        return module.invoke(InvokeKind::PropertyPut, dispid, {argument}, name);
    });
}

PyEvent PyControl::request(const std::string& method, const py::args& args)
{
    QVector<Variant> values;
    for (const py::handle& arg : args)
        values.append(conversions::toVariant(arg));
    const QString name = QString::fromStdString(method);
    const Answer answer = unlocked(
        [&](ControlSession& module) {
            DispId dispid = 0;
            if (!module.client().idOfName(name, &dispid))
                throw ControlError(QStringLiteral("the control has no method \"%1\"").arg(name));
            return module.exchange(dispid, values, name);
        },
        true);
    return toPyEvent(answer);
}

double PyControl::reading(const std::string& axis)
{
    const QString name = QString::fromStdString(axis).toLower();
    if (name != QLatin1String("x") && name != QLatin1String("y"))
        throw py::value_error("axis must be \"x\" or \"y\", not \"" + axis + "\"");
    const QString text = unlocked(
        [&](ControlSession& module) {
            return module.reading(name == QLatin1String("x") ? ControlSession::Axis::X
                                                             : ControlSession::Axis::Y,
                                  QStringLiteral("reading %1").arg(name));
        },
        true);
    return text.toDouble();
}

int PyControl::readCell(int address)
{
    return unlocked([address](ControlSession& module) { return module.readCellConfirmed(address); },
                    true);
}

void PyControl::writeCell(int address, int value)
{
    unlocked(
        [address, value](ControlSession& module) {
            module.writeCell(address, value);
            return 0;
        },
        true);
}

// Between two cells of a transfer, Python gets the chance to act on a
// signal (Ctrl-C raises KeyboardInterrupt there and ends the transfer).
ControlSession::Progress PyControl::interruptible()
{
    return [](int) {
        py::gil_scoped_acquire gil;
        if (PyErr_CheckSignals() != 0)
            throw py::error_already_set();
    };
}

std::vector<int> PyControl::dump()
{
    const QVector<int> cells =
        unlocked([this](ControlSession& module) { return module.dump(interruptible()); }, true);
    return {cells.begin(), cells.end()};
}

void PyControl::restore(const std::vector<int>& cells, bool verify)
{
    const QVector<int> values(cells.begin(), cells.end());
    unlocked(
        [&](ControlSession& module) {
            module.restore(values, verify, interruptible());
            return 0;
        },
        true);
}

void PyControl::connect(const py::function& callback, const std::optional<std::string>& event)
{
    if (event &&
        std::none_of(std::begin(kEvents), std::end(kEvents),
                     [&](const EventSignal& known) { return *event == nameOf(known.event); }))
        throw py::value_error("no event \"" + *event +
                              "\"; the control raises DataReady, ErrorComm, XReady and YReady");
    m_callbacks.push_back({callback, event});
}

void PyControl::disconnect(const py::function& callback)
{
    std::erase_if(m_callbacks, [&](const Callback& known) { return known.function.is(callback); });
}

std::optional<PyEvent> PyControl::nextEvent(std::chrono::steady_clock::time_point deadline)
{
    if (m_queue.empty()) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() > 0)
            unlocked([&](ControlSession&) {
                return EventWait::until([this] { return !m_queue.empty(); },
                                        static_cast<int>(remaining.count()));
            });
    }
    if (m_queue.empty())
        return std::nullopt;
    PyEvent event = std::move(m_queue.front());
    m_queue.pop_front();
    return event;
}

// Runs on the control's thread inside a call, with the interpreter's lock
// released; takes it again only when there is Python to call.
void PyControl::deliver(DispId dispid, const QString& text)
{
    PyEvent event{eventName(dispid), text.toStdString(), dispid};
    if (m_helperDepth == 0) {
        if (m_queue.size() == kQueueBound) {
            m_queue.pop_front();
            ++m_dropped;
        }
        m_queue.push_back(event);
    }
    if (m_callbacks.empty())
        return;
    py::gil_scoped_acquire gil;
    const std::vector<Callback> callbacks = m_callbacks;
    for (const Callback& callback : callbacks) {
        if (callback.event && *callback.event != event.name)
            continue;
        try {
            callback.function(event);
        } catch (py::error_already_set& error) {
            // It cannot travel through the control's frames: it is raised
            // when the call that is running now returns.
            if (!m_callbackError)
                m_callbackError.emplace(std::move(error));
        }
    }
}
