#include "Variant.h"
#include "ResultText.h"
#include "ValueType.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace component;

namespace {

struct TextCase {
    const char* text;
    HResult result;
    int value; // when result is kOk
};

template <typename Integer, typename Convert>
void expectConversions(std::initializer_list<TextCase> cases, Convert convert)
{
    for (const TextCase& c : cases) {
        Integer out = 99; // stays when the conversion fails
        EXPECT_EQ(convert(Variant(c.text), &out), c.result) << '"' << c.text << '"';
        EXPECT_EQ(out, c.result == kOk ? c.value : 99) << '"' << c.text << '"';
    }
}

HResult toShort(const Variant& v, std::int16_t* out)
{
    return v.toShort(out);
}
HResult toByte(const Variant& v, std::uint8_t* out)
{
    return v.toByte(out);
}
HResult toLong(const Variant& v, std::int32_t* out)
{
    return v.toLong(out);
}

} // namespace

TEST(VariantText, ToShortRoundsHalfToEvenAndAcceptsDecimalNotation)
{
    expectConversions<std::int16_t>({{"2.5", kOk, 2},
                                     {"3.5", kOk, 4},
                                     {"-2.5", kOk, -2},
                                     {"-3.5", kOk, -4},
                                     {"0.5", kOk, 0},
                                     {"2.500001", kOk, 3},
                                     {"  12\t", kOk, 12},
                                     {"+7", kOk, 7},
                                     {".5", kOk, 0},
                                     {"5.", kOk, 5},
                                     {"1e3", kOk, 1000},
                                     {"-1.25E+2", kOk, -125},
                                     {"250e-2", kOk, 2},
                                     {"32767", kOk, 32767},
                                     {"32767.49", kOk, 32767},
                                     {"-32768.5", kOk, -32768}},
                                    toShort);
}

TEST(VariantText, ToShortTellsOverflowFromMismatch)
{
    expectConversions<std::int16_t>({{"32768", kOverflow, 0},
                                     {"32767.5", kOverflow, 0},
                                     {"-32769", kOverflow, 0},
                                     {"1e400", kOverflow, 0},
                                     {"----", kTypeMismatch, 0},
                                     {"", kTypeMismatch, 0},
                                     {"   ", kTypeMismatch, 0},
                                     {"12abc", kTypeMismatch, 0},
                                     {"1 2", kTypeMismatch, 0},
                                     {"1,5", kTypeMismatch, 0},
                                     {"0x10", kTypeMismatch, 0},
                                     {"+-1", kTypeMismatch, 0},
                                     {".", kTypeMismatch, 0},
                                     {"1e", kTypeMismatch, 0},
                                     {"e5", kTypeMismatch, 0},
                                     {"inf", kTypeMismatch, 0},
                                     {"nan", kTypeMismatch, 0},
                                     {"\u0661", kTypeMismatch, 0}},
                                    toShort);
}

TEST(VariantText, ByteAndLongHaveTheirOwnRanges)
{
    expectConversions<std::uint8_t>(
        {{"255", kOk, 255}, {"-0.5", kOk, 0}, {"256", kOverflow, 0}, {"-1", kOverflow, 0}}, toByte);
    expectConversions<std::int32_t>({{"2147483647", kOk, 2147483647},
                                     {"-2147483648", kOk, std::numeric_limits<int>::min()},
                                     {"2147483648", kOverflow, 0},
                                     {"x", kTypeMismatch, 0}},
                                    toLong);
}

TEST(VariantText, ToDoubleKeepsTheValueAndTinyNumbersReadAsZero)
{
    double out = 0;
    EXPECT_EQ(Variant(" -1.5e-3 ").toDouble(&out), kOk);
    EXPECT_DOUBLE_EQ(out, -1.5e-3);
    EXPECT_EQ(Variant("1e-400").toDouble(&out), kOk);
    EXPECT_EQ(out, 0.0);
    EXPECT_EQ(Variant("-1e400").toDouble(&out), kOverflow);
    EXPECT_EQ(Variant("1.5.2").toDouble(&out), kTypeMismatch);
}

TEST(VariantNumbers, IntegersComeFromNumbersByRoundingAndRangeChecks)
{
    std::int16_t s = 0;
    EXPECT_EQ(Variant(2.5).toShort(&s), kOk);
    EXPECT_EQ(s, 2);
    EXPECT_EQ(Variant(-0.5).toShort(&s), kOk);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(Variant(std::int32_t{70000}).toShort(&s), kOverflow);
    EXPECT_EQ(Variant(std::nan("")).toShort(&s), kOverflow);
    EXPECT_EQ(Variant(std::numeric_limits<double>::infinity()).toShort(&s), kOverflow);
    EXPECT_EQ(Variant(std::uint8_t{200}).toShort(&s), kOk);
    EXPECT_EQ(s, 200);
    std::uint8_t b = 0;
    EXPECT_EQ(Variant(std::int16_t{-1}).toByte(&b), kOverflow);
}

TEST(VariantBool, TrueIsAllBitsSetAndTextReadsWordsOrNumbers)
{
    std::int16_t s = 0;
    std::uint8_t b = 0;
    std::int32_t l = 5;
    double d = 0;
    EXPECT_EQ(Variant(true).toShort(&s), kOk);
    EXPECT_EQ(s, -1);
    EXPECT_EQ(Variant(true).toByte(&b), kOk);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(Variant(true).toDouble(&d), kOk);
    EXPECT_EQ(d, -1.0);
    EXPECT_EQ(Variant(false).toLong(&l), kOk);
    EXPECT_EQ(l, 0);

    struct {
        Variant value;
        HResult result;
        bool flag;
    } const cases[] = {{"True", kOk, true},        {" fALSE ", kOk, false},
                       {"0", kOk, false},          {"-1", kOk, true},
                       {"0.25", kOk, true},        {"yes", kTypeMismatch, false},
                       {"", kTypeMismatch, false}, {std::int16_t{0}, kOk, false},
                       {0.1, kOk, true},           {Variant(), kOk, false}};
    for (const auto& c : cases) {
        bool out = !c.flag;
        EXPECT_EQ(c.value.toBool(&out), c.result) << c.value.debugText().toStdString();
        if (c.result == kOk) {
            EXPECT_EQ(out, c.flag) << c.value.debugText().toStdString();
        }
    }
}

TEST(VariantText, NumbersBecomeDecimalTextThatReadsBack)
{
    const std::pair<Variant, const char*> cases[] = {{std::int16_t{-5}, "-5"},
                                                     {std::uint8_t{255}, "255"},
                                                     {std::int32_t{-2147483647 - 1}, "-2147483648"},
                                                     {2.5, "2.5"},
                                                     {0.1, "0.1"},
                                                     {1e20, "1e+20"},
                                                     {true, "True"},
                                                     {false, "False"},
                                                     {Variant(), ""}};
    for (const auto& [value, text] : cases) {
        QString out = QStringLiteral("x");
        EXPECT_EQ(value.toText(&out), kOk);
        EXPECT_EQ(out, QLatin1String(text));
    }
    for (const double value : {1.0 / 3.0, -123456.789, 5e-324, 1.7976931348623157e308}) {
        QString text;
        Variant(value).toText(&text);
        double back = 0;
        ASSERT_EQ(Variant(text).toDouble(&back), kOk) << text.toStdString();
        EXPECT_EQ(back, value) << text.toStdString();
    }
}

TEST(VariantEmpty, ConvertsToZeroNothingAndFalse)
{
    std::int16_t s = 9;
    double d = 9;
    EXPECT_EQ(Variant().toShort(&s), kOk);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(Variant().toDouble(&d), kOk);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(Variant().debugText(), QStringLiteral("Empty"));
    EXPECT_EQ(Variant("abc").debugText(), QStringLiteral("Text(\"abc\")"));
    EXPECT_EQ(Variant(std::int16_t{5}).debugText(), QStringLiteral("Short(5)"));
}

TEST(ResultCodes, ReadAsHexAndWords)
{
    EXPECT_EQ(resultText(kOverflow), QStringLiteral("0x8002000A (overflow)"));
    EXPECT_EQ(resultText(kOk), QStringLiteral("0x00000000 (success)"));
    EXPECT_STREQ(describe(static_cast<HResult>(0x80001234u)), "unknown failure");
}

// The type library's names and the types are one vocabulary both ways; a
// name in another case or an abbreviation is none of them.
TEST(ValueTypes, NamesReadBackAsTheirTypesAndNothingElseIsAType)
{
    const std::initializer_list<std::pair<ValueType, const char*>> named{
        {ValueType::None, "none"},   {ValueType::Boolean, "boolean"}, {ValueType::Byte, "byte"},
        {ValueType::Short, "short"}, {ValueType::Long, "long"},       {ValueType::Double, "double"},
        {ValueType::Text, "text"}};
    for (const auto& [type, name] : named) {
        EXPECT_STREQ(typeName(type), name);
        EXPECT_EQ(valueTypeNamed(QString::fromLatin1(name)), type) << name;
    }
    for (const char* other : {"", "bool", "Short", "TEXT", "int", "short "})
        EXPECT_EQ(valueTypeNamed(QString::fromLatin1(other)), std::nullopt) << '"' << other << '"';
}

// A conversion to an interface type gives a value of the variant's matching
// type, or fails and leaves the target as it was; nothing converts to none.
TEST(ValueTypes, ConversionGivesTheTypesValueOrLeavesTheTargetAlone)
{
    const Variant keep(QStringLiteral("kept"));
    const struct {
        Variant in;
        ValueType type;
        HResult result;
        Variant out;
    } cases[] = {
        {Variant("-1"), ValueType::Boolean, kOk, Variant(true)},
        {Variant("255"), ValueType::Byte, kOk, Variant(std::uint8_t{255})},
        {Variant("256"), ValueType::Byte, kOverflow, keep},
        {Variant("2.5"), ValueType::Short, kOk, Variant(std::int16_t{2})},
        {Variant("x"), ValueType::Short, kTypeMismatch, keep},
        {Variant(std::int16_t{7}), ValueType::Long, kOk, Variant(std::int32_t{7})},
        {Variant(" 1.25 "), ValueType::Double, kOk, Variant(1.25)},
        {Variant(true), ValueType::Text, kOk, Variant("True")},
        {Variant("a"), ValueType::None, kTypeMismatch, keep},
    };
    for (const auto& c : cases) {
        Variant out = keep;
        EXPECT_EQ(convertTo(c.in, c.type, &out), c.result) << c.in.debugText().toStdString();
        EXPECT_EQ(out, c.out) << c.in.debugText().toStdString();
    }
}
