// Reading numbers from field texts by the atof rule.
#include "calc/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct ReadCase {
    const wchar_t *text;
    double value;
};

template <int N>
void ExpectAllRead(const ReadCase (&table)[N]) {
    for (const ReadCase &read : table) {
        const double value = WideTextToDouble(read.text);
        EXPECT_EQ(read.value, value) << "text " << testing::PrintToString(read.text);
        EXPECT_EQ(std::signbit(read.value), std::signbit(value))
            << "text " << testing::PrintToString(read.text);
    }
}

TEST(WideTextToDouble, ReadsTheNumericPrefix) {
    const ReadCase table[] = {
        {L"120", 120},   {L"480", 480},   {L"+5", 5},        {L"-5", -5},      {L"93.5", 93.5},
        {L".5", 0.5},    {L"5.", 5},      {L"-.25", -0.25},  {L"1.2e2", 120},  {L"1.2E+2", 120},
        {L"12e-1", 1.2}, {L"0.1", 0.1},   {L"007", 7},       {L"120bpm", 120}, {L"480 ticks", 480},
        {L"1,5", 1},     {L"1.5.5", 1.5}, {L"1e", 1},        {L"1e+", 1},      {L"2E-x", 2},
        {L"3e5e2", 3e5}, {L"-0", -0.0},   {L"-0.0e7", -0.0},
    };
    ExpectAllRead(table);
}

TEST(WideTextToDouble, SkipsLeadingWhiteSpaceOnly) {
    const ReadCase table[] = {
        {L"  120", 120},
        {L"\t\n\v\f\r120", 120},
        {L"\u3000120", 120},
        {L"- 5", 0},
        {L"1 2", 1},
        {L"\u00A0"
         L"5",
         0},
    };
    ExpectAllRead(table);
}

TEST(WideTextToDouble, ReadsTextWithoutANumberAsZero) {
    const ReadCase table[] = {
        {L"", 0},
        {L" ", 0},
        {L"abc", 0},
        {L".", 0},
        {L"-", 0},
        {L"+.", 0},
        {L"e5", 0},
        // No hexadecimal forms, no words for infinity or not-a-number.
        {L"0x1A", 0},
        {L"inf", 0},
        {L"-infinity", 0},
        {L"nan", 0},
    };
    ExpectAllRead(table);
}

TEST(WideTextToDouble, ReadsFullWidthFormsLikeAscii) {
    const ReadCase table[] = {
        {L"１２０", 120},
        {L"４８０", 480},
        {L"－１．５ｅ２", -150},
        {L"＋３Ｅ－１", 0.3},
        {L"\u3000９６ティック", 96},
        {L"1２0", 120},
        // The full-width comma is no decimal point.
        {L"１，５", 1},
        // Other full-width and half-width forms end the number.
        {L"１ｶ２", 1},
        {L"２￥５", 2},
        {L"￥５", 0},
        {L"ｶ５", 0},
    };
    ExpectAllRead(table);
}

TEST(WideTextToDouble, RoundsCorrectlyAndSaturates) {
    const ReadCase table[] = {
        // Halfway between two doubles: to even; a trailing digit decides.
        {L"9007199254740993", 9007199254740992.0},
        {L"9007199254740993.0000000001", 9007199254740994.0},
        {L"2.2250738585072011e-308", 2.2250738585072009e-308},
        {L"2.4703282292062328e-324", 4.9406564584124654e-324},
        {L"2.4703282292062327e-324", 0},
        {L"1.7976931348623157e308", 1.7976931348623157e308},
        {L"1e999", kInfinity},
        {L"-1e999", -kInfinity},
        {L"1e-999", 0},
        {L"-1e-999", -0.0},
        // Exponents far past the range, of 4, 5 and 25 digits.
        {L"1e1000", kInfinity},
        {L"1e-1000", 0},
        {L"1e99999", kInfinity},
        {L"1e-99999", 0},
        {L"1e9999999999999999999999999", kInfinity},
        {L"1e-9999999999999999999999999", 0},
        {L"-0.5e-9999999999999999999999999", -0.0},
        {L"1e99999999999999999999999999", kInfinity},
        {L"0.00000000000000000000000000000000000001e38", 1},
        {L"100000000000000000000000000000e-29", 1},
    };
    ExpectAllRead(table);
}

TEST(NumberTextEnd, CountsTheWhiteSpaceAndTheNumberThatIsRead) {
    const struct {
        const wchar_t *text;
        int end;
    } table[] = {
        {L"120", 3}, {L"  120", 5},  {L"\u3000120 ", 4},   {L"120bpm", 3}, {L"-.5e-3x", 6},
        {L"1e", 1},  {L"1e+", 1},    {L"1e5", 3},          {L"3e5e2", 3},  {L"1.5.5", 3},
        {L"5.", 2},  {L"１２０", 3}, {L"－１．５ｅ２", 6}, {L"", 0},       {L"abc", 0},
        {L"-", 0},   {L"+.", 0},     {L"- 5", 0},          {L"e5", 0},     {L"inf", 0},
    };
    for (const auto &row : table) {
        EXPECT_EQ(row.end, NumberTextEnd(row.text)) << testing::PrintToString(row.text);
    }
    for (const wchar_t *only : {L"120", L" 120 ", L"\u3000１２０\t", L"-.5e-3", L"1.\n"}) {
        EXPECT_TRUE(IsOnlyANumber(only)) << testing::PrintToString(only);
    }
    for (const wchar_t *more : {L"", L" ", L"120bpm", L"1e", L"12 0", L"abc", L"5.5.5"}) {
        EXPECT_FALSE(IsOnlyANumber(more)) << testing::PrintToString(more);
    }
    // Like the reading itself, no further than 99 characters.
    const std::wstring longNumber = L"1" + std::wstring(120, L'0');
    EXPECT_EQ(99, NumberTextEnd(longNumber.c_str()));
}

TEST(WideTextToDouble, ReadsNoMoreThanTheFirst99Characters) {
    std::wstring text = L"1" + std::wstring(98, L'0');
    EXPECT_EQ(1e98, WideTextToDouble(text.c_str()));
    text += L"0000";
    EXPECT_EQ(1e98, WideTextToDouble(text.c_str()));
    // The longest number rewritten for strtod: a sign, 97 fraction digits,
    // and the exponent they make.
    EXPECT_EQ(-1e-97, WideTextToDouble((L"-." + std::wstring(96, L'0') + L"1").c_str()));
    // Nor a digit behind 99 characters of white space.
    const std::wstring spaces(99, L' ');
    EXPECT_EQ(0.0, WideTextToDouble((spaces + L"7").c_str()));
}

}  // namespace
