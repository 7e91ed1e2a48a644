// The text of a result value. This suite runs on glibc and, as a Windows
// build, on MinGW-w64's runtime: passing on both shows they agree.
#include "calc/result_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "calc/number_text.h"

namespace {

struct ExpectedText {
    double value;
    const wchar_t *text;
};

std::wstring Format(double value) {
    FieldText text;
    FormatResultValue(value, text);
    return text;
}

TEST(FormatResultValue, RendersTwoDecimalsCorrectlyRounded) {
    const ExpectedText table[] = {
        {0.0, L"0.00"},
        {-0.0, L"-0.00"},
        {62.5, L"62.50"},
        {1.0 / 3, L"0.33"},
        {-2.0 / 3, L"-0.67"},
        // Exact binary halves round to even.
        {0.125, L"0.12"},
        {0.375, L"0.38"},
        {0.625, L"0.62"},
        {-0.125, L"-0.12"},
        // Decimal halves that are not binary halves round by their true value.
        {2.675, L"2.67"},
        {1.005, L"1.00"},
        {0.005, L"0.01"},
        {99.995, L"100.00"},
        {0.015, L"0.01"},
        {5e-324, L"0.00"},
        {-5e-324, L"-0.00"},
        {0.004999999999999999, L"0.00"},
        {1e22, L"10000000000000000000000.00"},
        {1e23, L"99999999999999991611392.00"},
        {9007199254740993.0, L"9007199254740992.00"},
    };
    for (const ExpectedText &expected : table) {
        EXPECT_EQ(expected.text, Format(expected.value)) << "value " << expected.value;
    }
}

TEST(FormatResultValue, GivesEachNonFiniteValueOneText) {
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const ExpectedText table[] = {
        {infinity, L"inf"}, {-infinity, L"-inf"},     {nan, L"nan"},
        {-nan, L"nan"},     {infinity * 0.0, L"nan"},
    };
    for (const ExpectedText &expected : table) {
        EXPECT_EQ(expected.text, Format(expected.value)) << "value " << expected.value;
    }
}

TEST(FormatResultValue, ShowsDashesRatherThanCutTextForTooLongValues) {
    // 96 integer digits and ".00" fill the 99 characters exactly.
    EXPECT_EQ(99u, Format(9.99e95).size());
    EXPECT_EQ(99u, Format(-9.99e94).size());
    const ExpectedText table[] = {
        {1e96, L"--"},
        {-1e95, L"--"},
        {std::numeric_limits<double>::max(), L"--"},
        {-std::numeric_limits<double>::max(), L"--"},
    };
    for (const ExpectedText &expected : table) {
        EXPECT_EQ(expected.text, Format(expected.value)) << "value " << expected.value;
    }
}

// FNV-1a over the texts of a deterministic sweep of numbers across the whole
// range, read with WideTextToDouble and shown with FormatResultValue. The
// expected sum is that of exact "%.2f" texts (glibc and Python's own
// formatter agree on it); the Windows build must give the same.
TEST(ResultText, SweepGivesTheSameTextsAsGlibc) {
    std::uint64_t hash = 14695981039346656037u;
    std::uint64_t state = 1;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        const unsigned mantissa = static_cast<unsigned>(state >> 33) % 100000000u;
        const int exponent = static_cast<int>((state >> 20) % 110) - 10;
        wchar_t input[48];
        std::swprintf(input, 48, L"%ls%u.%ue%d", (state & 1) ? L"-" : L"", mantissa % 1000,
                      mantissa, exponent);
        FieldText text;
        FormatResultValue(WideTextToDouble(input), text);
        for (const wchar_t *c = text; *c != L'\0'; ++c) {
            hash = (hash ^ static_cast<std::uint64_t>(*c)) * 1099511628211u;
        }
        hash = (hash ^ 0xFFu) * 1099511628211u;
    }
    EXPECT_EQ(15811103717257700856u, hash);
}

}  // namespace
