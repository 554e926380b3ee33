#include "Conversions.h"

#include <cstdint>
#include <limits>

namespace py = pybind11;
using component::Variant;

namespace conversions {

Variant toVariant(py::handle value)
{
    if (value.is_none())
        return {};
    if (py::isinstance<py::bool_>(value))
        return Variant(value.cast<bool>());
    if (py::isinstance<py::int_>(value)) {
        const py::int_ number = py::reinterpret_borrow<py::int_>(value);
        const auto fitsInLong = number >= py::int_(std::numeric_limits<std::int32_t>::min()) &&
                                number <= py::int_(std::numeric_limits<std::int32_t>::max());
        if (fitsInLong)
            return Variant(number.cast<std::int32_t>());
        return Variant(number.cast<double>());
    }
    if (py::isinstance<py::float_>(value))
        return Variant(value.cast<double>());
    if (py::isinstance<py::str>(value))
        return Variant(QString::fromStdString(value.cast<std::string>()));
    throw py::type_error("the control takes None, bool, int, float or str, not " +
                         std::string(py::str(value.get_type().attr("__name__"))));
}

py::object toPython(const Variant& value)
{
    switch (value.type()) {
    case Variant::Type::Empty:
        return py::none();
    case Variant::Type::Bool: {
        bool flag = false;
        value.toBool(&flag);
        return py::bool_(flag);
    }
    case Variant::Type::Byte:
    case Variant::Type::Short:
    case Variant::Type::Long: {
        std::int32_t number = 0;
        value.toLong(&number);
        return py::int_(number);
    }
    case Variant::Type::Double: {
        double number = 0.0;
        value.toDouble(&number);
        return py::float_(number);
    }
    case Variant::Type::Text:
        break;
    }
    QString text;
    value.toText(&text);
    return py::str(text.toStdString());
}

} // namespace conversions
