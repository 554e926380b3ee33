// The coefficient file and its token check. An accepted file holds exactly
// 56 values from 0 to 255, each the decimal value of the matching token of
// the file; a token is accepted exactly when its digits say 0 to 255,
// however many leading zeros or digits it has.
#include "CoefficientFile.h"
#include "Property.h"

#include <QList>

#include <cstddef>
#include <cstdint>

namespace {

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

QList<QByteArray> Tokens(const QByteArray& content)
{
    QList<QByteArray> tokens;
    QByteArray token;
    for (char c : content + ' ') {
        if (!IsSeparator(c)) {
            token += c;
        } else if (!token.isEmpty()) {
            tokens << token;
            token.clear();
        }
    }
    return tokens;
}

// The token's value when it is decimal digits only, counted without
// overflow: anything above 255 is 256.
int SaturatedValue(const QByteArray& token)
{
    int value = 0;
    for (char c : token) {
        if (c < '0' || c > '9')
            return -1;
        value = std::min(256, value * 10 + (c - '0'));
    }
    return token.isEmpty() ? -1 : value;
}

bool IsGoodToken(const QByteArray& token)
{
    const int value = SaturatedValue(token);
    return token.size() <= CoefficientFile::kMaxTokenLength && value >= 0 && value <= 255;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    Require(CoefficientFile::TokenProblem(1, content).isEmpty() == IsGoodToken(content),
            "a token is refused exactly when its digits are no value from 0 to 255");

    const CoefficientFile::Table table = CoefficientFile::Parse(content);
    const QList<QByteArray> tokens = Tokens(content);
    qsizetype good = 0;
    while (good < tokens.size() && good < CoefficientFile::kValues && IsGoodToken(tokens.at(good)))
        ++good;
    if (table.status != CoefficientFile::Table::Status::Read) {
        Require(good < CoefficientFile::kValues, "56 good tokens make a table");
        Require(table.problem.size() < 300, "the problem is told in one short message");
        return 0;
    }
    Require(good == CoefficientFile::kValues, "a table is 56 good tokens");
    for (int i = 0; i < CoefficientFile::kValues; ++i)
        Require(table.values[size_t(i)] == SaturatedValue(tokens.at(i)),
                "each value is its token's");
    return 0;
}
