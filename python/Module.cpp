// The Python module tk28950: the control as Python objects, for test rigs
// and lab scripts. The published members come from the control's type
// library, compiled into the module, so that help() and the stub list them.
#include "ControlError.h"
#include "MemberCatalog.h"
#include "PyControl.h"
#include "TypeLib.h"
#include "ValueType.h"

#include <QCoreApplication>
#include <QFile>

#include <pybind11/stl.h>

#include <chrono>

namespace py = pybind11;
using component::DispId;
using component::ValueType;

namespace {

constexpr char kMembersResource[] = ":/tk28950-python/members.json";

// The control's timers and port need a Qt application object; a script has
// none of its own. It stays for the life of the process, past every control.
void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "python3";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

MemberCatalog publishedMembers()
{
    QFile file(QString::fromLatin1(kMembersResource));
    QString error;
    const auto library = file.open(QIODevice::ReadOnly)
                             ? component::TypeLibrary::fromJson(file.readAll(), &error)
                             : std::nullopt;
    if (!library)
        throw ControlError(QStringLiteral("the control's member table cannot be read: ") + error);
    return MemberCatalog::fromTypeLibrary(*library);
}

// The Python type that stands for a value of the interface's type; the
// stub (make_stub.py) writes the same, which the Python tests hold it to.
QString pythonType(const QString& type)
{
    switch (component::valueTypeNamed(type).value_or(ValueType::Long)) {
    case ValueType::None:
        return QStringLiteral("None");
    case ValueType::Boolean:
        return QStringLiteral("bool");
    case ValueType::Double:
        return QStringLiteral("float");
    case ValueType::Text:
        return QStringLiteral("str");
    case ValueType::Byte:
    case ValueType::Short:
    case ValueType::Long:
        break;
    }
    return QStringLiteral("int");
}

std::string methodDoc(const component::TypeLibMember& member)
{
    QStringList parameters;
    for (const MemberCatalog::Parameter& parameter : MemberCatalog::parameters(member))
        parameters << QStringLiteral("%1: %2").arg(parameter.name, pythonType(parameter.type));
    return QStringLiteral("%1(%2) -> %3\n\nThe control's method %1 (dispid %4).")
        .arg(member.name, parameters.join(QStringLiteral(", ")), pythonType(member.type))
        .arg(member.dispid)
        .toStdString();
}

std::string propertyDoc(const component::TypeLibMember& member)
{
    return QStringLiteral("%1 (%2%3): the control's property %1 (dispid %4).")
        .arg(member.name, pythonType(member.type),
             member.readOnly ? QStringLiteral(", read only") : QString())
        .arg(member.dispid)
        .toStdString();
}

void addPublishedMembers(py::class_<PyControl>& control)
{
    const MemberCatalog members = publishedMembers();
    py::options options;
    options.disable_function_signatures();
    for (const QString& name : members.names(MemberCatalog::Kind::Method)) {
        const component::TypeLibMember& member = *members.byName(name, MemberCatalog::Kind::Method);
        const DispId dispid = member.dispid;
        control.def(
            qPrintable(name),
            [dispid, name](PyControl& self, const py::args& args) {
                return self.call(dispid, name, args);
            },
            py::doc(methodDoc(member).c_str()));
    }
    for (const QString& name : members.names(MemberCatalog::Kind::Property)) {
        const component::TypeLibMember& member =
            *members.byName(name, MemberCatalog::Kind::Property);
        const DispId dispid = member.dispid;
        const py::cpp_function get(
            [dispid, name](PyControl& self) { return self.get(dispid, name); });
        const py::cpp_function put([dispid, name](PyControl& self, const py::handle& value) {
            self.put(dispid, name, value);
        });
        control.def_property(qPrintable(name), get, member.readOnly ? py::cpp_function() : put,
                             py::doc(propertyDoc(member).c_str()));
    }
}

// What events() returns: yields the events queued and those that arrive
// until its deadline.
struct EventStream {
    PyControl& control;
    std::chrono::steady_clock::time_point deadline;
};

std::chrono::steady_clock::time_point deadlineAfter(double seconds)
{
    if (!(seconds >= 0.0 && seconds <= 24 * 3600.0))
        throw py::value_error("a timeout is a number of seconds from 0 to 86400");
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(
               std::chrono::duration<double>(seconds));
}

} // namespace

PYBIND11_MODULE(tk28950, module)
{
    module.doc() = "The TK28950 inclinometer module through its control: create it with "
                   "tk28950.Control(), open a port with init(), call the published methods "
                   "and properties by name, and read the module's answers as events.";
    module.attr("__version__") = TK28950_VERSION;
    py::register_exception<ControlError>(module, "Error", PyExc_RuntimeError).doc() =
        "A failure of the control or the module: the control cannot be created, a "
        "port cannot be opened, a call failed, or the module did not give the answer "
        "a request needs. The message says what and why.";

    py::class_<PyEvent>(module, "Event",
                        "One event of the control: its name (DataReady, "
                        "ErrorComm, XReady or YReady), its text and its dispid.")
        .def_readonly("name", &PyEvent::name)
        .def_readonly("text", &PyEvent::text)
        .def_readonly("dispid", &PyEvent::dispid)
        .def("__repr__",
             [](const PyEvent& event) {
                 return "Event(" + event.name + ", " + std::string(py::repr(py::str(event.text))) +
                        ")";
             })
        .def("__eq__", [](const PyEvent& a, const PyEvent& b) {
            return a.dispid == b.dispid && a.text == b.text;
        });

    py::class_<EventStream>(module, "EventStream",
                            "Iterator over the control's events until its deadline.")
        .def("__iter__", [](EventStream& stream) -> EventStream& { return stream; })
        .def("__next__", [](EventStream& stream) {
            std::optional<PyEvent> event = stream.control.nextEvent(stream.deadline);
            if (!event)
                throw py::stop_iteration();
            return *event;
        });

    py::class_<PyControl> control(
        module, "Control",
        "One TK28950 control on one module, created through the component registry\n"
        "($TK28950_REGISTRY, else ~/.config/tk28950/registry.ini; register the library with\n"
        "tk28950-regsvr first).\n\n"
        "    with tk28950.Control() as ctl:\n"
        "        ctl.init(1)                      # port number, or a device path\n"
        "        print(ctl.request(\"Version\").text)\n"
        "        print(ctl.SN)                    # properties wait for the module's answer\n"
        "        ctl.ReadXChan(0)                 # most methods return at once ...\n"
        "        for event in ctl.events(timeout=1.0):\n"
        "            print(event)                 # ... and the answer comes as an event\n\n"
        "Arguments of the published methods and properties convert as the control's dispatch\n"
        "interface converts them; a failed call raises tk28950.Error.\n"
        "Every call runs the Qt event loop inside it, so no thread or loop of the caller's\n"
        "is needed; the interpreter's lock is released while a call waits on the line.\n"
        "A Control is used by the thread that created it.");
    control
        .def(py::init([](std::optional<double> timeout, bool singleRead) {
                 ensureApplication();
                 return std::make_unique<PyControl>(timeout, singleRead);
             }),
             py::arg("timeout") = py::none(), py::arg("single_read") = false,
             "Creates the control through the registry. timeout: seconds a request waits "
             "for the module's answer; None (the default) learns the bound from the line's "
             "round trips (0.02 to 1 s, 0.25 s at first). A request whose answer was lost, "
             "damaged or refused is tried again 3 times after the line is brought back in "
             "step. Unless single_read, a property read, a reading and each cell of dump_eeprom() "
             "are read until two reads agree, and every property written is read back.")
        .def("init", &PyControl::init, py::arg("port"),
             "Opens the module's port: a port number (1 to 15, through the port map and "
             "TK28950_PORT_<N>), or a device path such as '/dev/ttyUSB0'. Raises "
             "tk28950.Error with the reason when the port cannot be opened.")
        .def("close", &PyControl::close,
             "Releases the control and its port. Later calls raise tk28950.Error.")
        .def_property_readonly("closed", &PyControl::isClosed, "Whether close() was called.")
        .def("__enter__", [](PyControl& self) -> PyControl& { return self; })
        .def("__exit__",
             [](PyControl& self, const py::args&) {
                 self.close();
                 return false;
             })
        .def_property("timeout", &PyControl::timeout, &PyControl::setTimeout,
                      "Seconds a request waits for the module's answer now; setting it fixes "
                      "the bound, None lets it learn from the line again.")
        .def("request", &PyControl::request, py::arg("method"),
             "Calls a method by name, once, and returns the event that answers it. No answer "
             "within the timeout, the control's time-out or ErrorComm raises tk28950.Error; "
             "the next request then first brings the line back in step, so a late answer is "
             "never taken for another request's.")
        .def("reading", &PyControl::reading, py::arg("axis"),
             "One reading of the \"x\" or \"y\" channel, in degrees, read until two readings "
             "agree (once with single_read): a module that moves gives readings that keep "
             "changing, which raises tk28950.Error; read a moving module with single_read.")
        .def("read_cell", &PyControl::readCell, py::arg("address"),
             "The value (0 to 255) of one EEPROM cell, read until two reads agree; any other "
             "answer raises tk28950.Error.")
        .def("write_cell", &PyControl::writeCell, py::arg("address"), py::arg("value"),
             "Writes one EEPROM cell and waits for the module's acknowledgement.")
        .def("dump_eeprom", &PyControl::dump,
             "The 256 EEPROM cells, in order, as a list of ints. Raises tk28950.Error naming "
             "the cell that failed; Ctrl-C stops it between two cells.")
        .def("restore_eeprom", &PyControl::restore, py::arg("cells"), py::arg("verify") = true,
             "Writes the 256 EEPROM cells from a list of ints 0 to 255 (ValueError before "
             "anything is sent otherwise); with verify, reads them all back and raises "
             "tk28950.Error naming every cell that differs.")
        .def("connect", &PyControl::connect, py::arg("callback"), py::arg("event") = py::none(),
             "Calls callback(event) for every event, or only for the named one. Callbacks run "
             "inside the calls that wait; an exception a callback raises is raised by that "
             "call when it returns.")
        .def("disconnect", &PyControl::disconnect, py::arg("callback"), "Stops calling callback.")
        .def(
            "events",
            [](PyControl& self, double timeout) {
                return EventStream{self, deadlineAfter(timeout)};
            },
            py::arg("timeout") = 1.0, py::keep_alive<0, 1>(),
            "Iterates over the events that are waiting and those that arrive within timeout "
            "seconds. Events that answer request(), read_cell() and the other helpers are "
            "theirs and not repeated here.")
        .def_property_readonly("dropped_events", &PyControl::droppedEvents,
                               "Events dropped because more than 10000 were waiting unread.");
    addPublishedMembers(control);
}
