// Text to number, as every dispatch call converts its arguments. The
// integer conversions agree with the double one (round half to even, in the
// target's range) and with each other; a double read from text formats to
// a text that reads back as the same double.
#include "DecimalText.h"
#include "Property.h"
#include "Variant.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

using component::HResult;
using component::kOk;
using component::kOverflow;
using component::kTypeMismatch;
using component::Variant;

namespace {

template <typename Integer>
void CheckInteger(const Variant& text, HResult doubleResult, double number, double low, double high)
{
    Integer value{};
    const HResult hr = [&] {
        if constexpr (std::is_same_v<Integer, std::uint8_t>)
            return text.toByte(&value);
        else if constexpr (std::is_same_v<Integer, std::int16_t>)
            return text.toShort(&value);
        else
            return text.toLong(&value);
    }();
    Require(hr == kOk || hr == kOverflow || hr == kTypeMismatch, "a known result");
    if (doubleResult != kOk) {
        Require(hr != kOk, "no integer from a text that is no number");
        return;
    }
    const double rounded = std::nearbyint(number); // the default mode rounds half to even
    const bool inRange = rounded >= low && rounded <= high;
    Require((hr == kOk) == inRange, "an integer exactly when the rounded number fits");
    if (hr == kOk)
        Require(double(value) == rounded, "the integer is the rounded number");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const Variant variant(text);
    double number = 0.0;
    const HResult doubleResult = variant.toDouble(&number);
    Require(doubleResult == kOk || doubleResult == kOverflow || doubleResult == kTypeMismatch,
            "a known result");
    if (doubleResult == kOk) {
        Require(std::isfinite(number), "a number read from text is finite");
        double again = 0.0;
        Require(component::decimal::parse(component::decimal::format(number), &again) == kOk &&
                    again == number,
                "a number formats to a text that reads back the same");
    }
    CheckInteger<std::uint8_t>(variant, doubleResult, number, 0, 255);
    CheckInteger<std::int16_t>(variant, doubleResult, number, -32768, 32767);
    CheckInteger<std::int32_t>(variant, doubleResult, number, -2147483648.0, 2147483647.0);
    bool flag = false;
    const HResult boolResult = variant.toBool(&flag);
    const QString word = text.trimmed().toLower();
    if (word != QLatin1String("true") && word != QLatin1String("false"))
        Require(boolResult == doubleResult && (boolResult != kOk || flag == (number != 0.0)),
                "a number is true when it is not zero");
    return 0;
}
