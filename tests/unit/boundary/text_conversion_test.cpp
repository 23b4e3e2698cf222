// The four boundary conversions, over the texts that break naive ones: null, empty, embedded
// zeros, characters needing three or four UTF-8 bytes, invalid sequences and lone surrogates;
// under every ANSI code page the process can have, since narrow text is UTF-8 whatever it is.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "boundary/text_conversion.h"
#include "companions/bstr.h"
#include "fakes/ansi_code_page.h"

namespace {

std::optional<OleString> WideOf(BSTR text) {
    Bstr owned(text);
    if (!owned) {
        return std::nullopt;
    }
    return OleString(owned.view());
}

// ---- narrow to wide -------------------------------------------------------------------------

using NarrowToWideFunction = BSTR (*)(const char*);

struct NarrowToWideConversion {
    const char* name;
    NarrowToWideFunction convert;
};

const NarrowToWideConversion kNarrowToWide[] = {
    {"NarrowToWide", NarrowToWide},
    {"NarrowToWideThreadCp", NarrowToWideThreadCp},
};

struct NarrowCase {
    const char* name;
    const char* narrow;
    std::optional<OleString> wide;
};

const NarrowCase kNarrowCases[] = {
    {"Null", nullptr, std::nullopt},
    {"Empty", "", OLESTR("")},
    {"Ascii", "registeraction", OLESTR("registeraction")},
    {"TwoThreeAndFourByteCharacters", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
     OLESTR("caf\u00E9 \u20AC \U0001F600")},
    {"InvalidByteBecomesReplacement",
     "a\xFF"
     "b",
     OLESTR("a\uFFFD") OLESTR("b")},
};

template <class Param>
std::string CaseName(const ::testing::TestParamInfo<Param>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name + "_Cp" +
           std::to_string(std::get<2>(info.param));
}

class NarrowToWideTest
    : public ::testing::TestWithParam<std::tuple<NarrowToWideConversion, NarrowCase, UINT>> {};

TEST_P(NarrowToWideTest, GivesTheWideText) {
    const auto& [conversion, testCase, codePage] = GetParam();
    const fakes::AnsiCodePageScope scope(codePage);
    const std::optional<OleString> wide = WideOf(conversion.convert(testCase.narrow));
    EXPECT_EQ(wide, testCase.wide);
}

INSTANTIATE_TEST_SUITE_P(Utf8, NarrowToWideTest,
                         ::testing::Combine(::testing::ValuesIn(kNarrowToWide),
                                            ::testing::ValuesIn(kNarrowCases),
                                            ::testing::ValuesIn(fakes::AnsiCodePages())),
                         CaseName<NarrowToWideTest::ParamType>);

// ---- wide to narrow -------------------------------------------------------------------------

using WideToNarrowFunction = std::optional<std::string> (*)(const OLECHAR*);

struct WideToNarrowConversion {
    const char* name;
    WideToNarrowFunction convert;
};

const WideToNarrowConversion kWideToNarrow[] = {
    {"WideToNarrow",
     [](const OLECHAR* wide) -> std::optional<std::string> {
         const NarrowBuffer narrow = WideToNarrow(wide);
         return narrow ? std::optional<std::string>(narrow.get()) : std::nullopt;
     }},
    {"WideToNarrowBounded",
     [](const OLECHAR* wide) -> std::optional<std::string> { return WideToNarrowBounded(wide); }},
};

struct WideCase {
    const char* name;
    OleString wide;  // copied into a BSTR of exactly this length, zeros included
    std::string narrow;
};

const WideCase kWideCases[] = {
    {"Empty", OLESTR(""), ""},
    {"Ascii", OLESTR("trigger"), "trigger"},
    {"TwoThreeAndFourByteCharacters", OLESTR("caf\u00E9 \u20AC \U0001F600"),
     "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
    // Every unit needs three bytes: a buffer of two bytes per unit would lose the whole text.
    {"ThreeBytesForEveryUnit", OLESTR("\u89E6\u53D1\u5668\u20AC"),
     "\xE8\xA7\xA6\xE5\x8F\x91\xE5\x99\xA8\xE2\x82\xAC"},
    {"EmbeddedZeroEndsTheText", OleString(OLESTR("ab\0cd"), 5), "ab"},
    {"LoneHighSurrogate", OLESTR("a\xD800") OLESTR("b"),
     "a\xEF\xBF\xBD"
     "b"},
    {"LoneLowSurrogateAtTheEnd", OLESTR("x\xDC00"), "x\xEF\xBF\xBD"},
};

class WideToNarrowTest
    : public ::testing::TestWithParam<std::tuple<WideToNarrowConversion, WideCase, UINT>> {};

TEST_P(WideToNarrowTest, GivesTheNarrowText) {
    const auto& [conversion, testCase, codePage] = GetParam();
    const fakes::AnsiCodePageScope scope(codePage);
    const Bstr wide = Bstr::Copy(testCase.wide);
    EXPECT_EQ(conversion.convert(wide.get()), std::optional<std::string>(testCase.narrow));
}

INSTANTIATE_TEST_SUITE_P(Utf8, WideToNarrowTest,
                         ::testing::Combine(::testing::ValuesIn(kWideToNarrow),
                                            ::testing::ValuesIn(kWideCases),
                                            ::testing::ValuesIn(fakes::AnsiCodePages())),
                         CaseName<WideToNarrowTest::ParamType>);

TEST(WideToNarrow, NullGivesNoText) {
    EXPECT_EQ(WideToNarrow(nullptr), nullptr);
}

TEST(WideToNarrowBounded, NullGivesEmptyText) {
    EXPECT_EQ(WideToNarrowBounded(nullptr), "");
}

TEST(WideToNarrowBounded, KeepsALongTextOfThreeByteCharacters) {
    const OleString wide(5000, OLECHAR{0x89E6});
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        expected += "\xE8\xA7\xA6";
    }
    const Bstr text = Bstr::Copy(wide);
    EXPECT_EQ(WideToNarrowBounded(text.get()), expected);
}

TEST(ConversionCodePage, IsUtf8WhateverTheAnsiCodePage) {
    for (const UINT codePage : fakes::AnsiCodePages()) {
        const fakes::AnsiCodePageScope scope(codePage);
        EXPECT_EQ(ConversionCodePage(), CP_UTF8) << codePage;
    }
}

}  // namespace
