#include "ReadBack.h"

#include <QStringList>
#include <cmath>
#include <optional>

namespace ReadBack {
namespace {

std::optional<double> number(const component::Variant& value)
{
    bool ok = false;
    const double result = text(value).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(result))
        return std::nullopt;
    return result;
}

// Whole tenths, as the control keeps a number written to a property.
long long tenths(double value)
{
    // The small allowance keeps a tenth that binary floating point holds a
    // hair below itself (0.3 as 0.29999...) from being cut a tenth short.
    return std::llround(std::trunc(value * 10 + (value < 0 ? -1e-6 : 1e-6)));
}

} // namespace

QString text(const component::Variant& value)
{
    QString out;
    return component::succeeded(value.toText(&out)) ? out : QString();
}

bool same(const component::Variant& first, const component::Variant& second)
{
    return text(first) == text(second);
}

bool holds(const component::Variant& readBack, const component::Variant& written)
{
    // A short property takes what is written as the dispatch interface
    // converts it to a short (2.5 is 2); it must then hold that.
    std::int16_t converted = 0;
    if (readBack.type() == component::Variant::Type::Short)
        return component::succeeded(written.toShort(&converted)) &&
               same(readBack, component::Variant(converted));
    const std::optional<double> read = number(readBack);
    const std::optional<double> wanted = number(written);
    if (read && wanted)
        return tenths(*read) == tenths(*wanted);
    return !read && !wanted && text(readBack) == text(written);
}

QString list(const QVector<component::Variant>& values)
{
    QStringList texts;
    for (const component::Variant& value : values)
        texts << text(value);
    return texts.join(QStringLiteral(", "));
}

} // namespace ReadBack
