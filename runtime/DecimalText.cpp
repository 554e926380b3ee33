#include "DecimalText.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace component::decimal {

namespace {

std::size_t skipDigits(std::string_view text, std::size_t* pos)
{
    const std::size_t start = *pos;
    while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9')
        ++*pos;
    return *pos - start;
}

void skipSign(std::string_view text, std::size_t* pos)
{
    if (*pos < text.size() && (text[*pos] == '+' || text[*pos] == '-'))
        ++*pos;
}

bool isDecimalNumber(std::string_view text)
{
    std::size_t pos = 0;
    skipSign(text, &pos);
    std::size_t digits = skipDigits(text, &pos);
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        digits += skipDigits(text, &pos);
    }
    if (digits == 0)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        skipSign(text, &pos);
        if (skipDigits(text, &pos) == 0)
            return false;
    }
    return pos == text.size();
}

locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

} // namespace

HResult parse(const QString& text, double* out)
{
    const QByteArray latin = text.trimmed().toLatin1();
    if (!isDecimalNumber(std::string_view(latin.constData(), latin.size())))
        return kTypeMismatch;
    errno = 0;
    const double value = strtod_l(latin.constData(), nullptr, cLocale());
    if (errno == ERANGE && std::isinf(value))
        return kOverflow;
    *out = value;
    return kOk;
}

QString format(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace component::decimal
