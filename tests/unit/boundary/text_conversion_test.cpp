// The four boundary conversions, over the texts that break naive ones: null, empty, embedded
// zeros, characters needing three or four UTF-8 bytes, invalid sequences and lone surrogates.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "boundary/text_conversion.h"
#include "companions/bstr.h"

namespace {

std::optional<std::u16string> WideOf(BSTR text) {
    Bstr owned(text);
    if (!owned) {
        return std::nullopt;
    }
    return std::u16string(owned.view());
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
    std::optional<std::u16string> wide;
};

const NarrowCase kNarrowCases[] = {
    {"Null", nullptr, std::nullopt},
    {"Empty", "", u""},
    {"Ascii", "registeraction", u"registeraction"},
    {"TwoThreeAndFourByteCharacters", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
     u"caf\u00E9 \u20AC \U0001F600"},
    {"InvalidByteBecomesReplacement",
     "a\xFF"
     "b",
     u"a\uFFFD"
     u"b"},
};

class NarrowToWideTest
    : public ::testing::TestWithParam<std::tuple<NarrowToWideConversion, NarrowCase>> {};

TEST_P(NarrowToWideTest, GivesTheWideText) {
    const auto& [conversion, testCase] = GetParam();
    const std::optional<std::u16string> wide = WideOf(conversion.convert(testCase.narrow));
    EXPECT_EQ(wide, testCase.wide);
}

INSTANTIATE_TEST_SUITE_P(Utf8, NarrowToWideTest,
                         ::testing::Combine(::testing::ValuesIn(kNarrowToWide),
                                            ::testing::ValuesIn(kNarrowCases)),
                         [](const auto& testInfo) {
                             return std::string(std::get<0>(testInfo.param).name) + "_" +
                                    std::get<1>(testInfo.param).name;
                         });

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
    std::u16string wide;  // copied into a BSTR of exactly this length, zeros included
    std::string narrow;
};

const WideCase kWideCases[] = {
    {"Empty", u"", ""},
    {"Ascii", u"trigger", "trigger"},
    {"TwoThreeAndFourByteCharacters", u"caf\u00E9 \u20AC \U0001F600",
     "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
    // Every unit needs three bytes: a buffer of two bytes per unit would lose the whole text.
    {"ThreeBytesForEveryUnit", u"\u89E6\u53D1\u5668\u20AC",
     "\xE8\xA7\xA6\xE5\x8F\x91\xE5\x99\xA8\xE2\x82\xAC"},
    {"EmbeddedZeroEndsTheText", std::u16string(u"ab\0cd", 5), "ab"},
    {"LoneHighSurrogate",
     u"a\xD800"
     u"b",
     "a\xEF\xBF\xBD"
     "b"},
    {"LoneLowSurrogateAtTheEnd", u"x\xDC00", "x\xEF\xBF\xBD"},
};

class WideToNarrowTest
    : public ::testing::TestWithParam<std::tuple<WideToNarrowConversion, WideCase>> {};

TEST_P(WideToNarrowTest, GivesTheNarrowText) {
    const auto& [conversion, testCase] = GetParam();
    const Bstr wide = Bstr::Copy(testCase.wide);
    EXPECT_EQ(conversion.convert(wide.get()), std::optional<std::string>(testCase.narrow));
}

INSTANTIATE_TEST_SUITE_P(Utf8, WideToNarrowTest,
                         ::testing::Combine(::testing::ValuesIn(kWideToNarrow),
                                            ::testing::ValuesIn(kWideCases)),
                         [](const auto& testInfo) {
                             return std::string(std::get<0>(testInfo.param).name) + "_" +
                                    std::get<1>(testInfo.param).name;
                         });

TEST(WideToNarrow, NullGivesNoText) {
    EXPECT_EQ(WideToNarrow(nullptr), nullptr);
}

TEST(WideToNarrowBounded, NullGivesEmptyText) {
    EXPECT_EQ(WideToNarrowBounded(nullptr), "");
}

TEST(WideToNarrowBounded, KeepsALongTextOfThreeByteCharacters) {
    const std::u16string wide(5000, u'\u89E6');
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        expected += "\xE8\xA7\xA6";
    }
    const Bstr text = Bstr::Copy(wide);
    EXPECT_EQ(WideToNarrowBounded(text.get()), expected);
}

// ---- a single-byte ANSI code page -----------------------------------------------------------

class Windows1252Test : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(PlatformSetAnsiCodePage(CP_WINDOWS_1252)); }
    void TearDown() override { ASSERT_TRUE(PlatformSetAnsiCodePage(CP_UTF8)); }
};

TEST_F(Windows1252Test, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
    const Bstr wide = Bstr::Copy(u"caf\u00E9\u20AC\u03A9\U0001F600");
    // U+00E9 and U+20AC exist in the code page; the Greek letter does not, and neither does
    // either unit of the emoji's surrogate pair.
    const NarrowBuffer exact = WideToNarrow(wide.get());
    ASSERT_NE(exact, nullptr);
    EXPECT_STREQ(exact.get(), "caf\xE9\x80???");
    EXPECT_EQ(WideToNarrowBounded(wide.get()), "caf\xE9\x80???");
}

TEST_F(Windows1252Test, CodePageTextComesBackUnchanged) {
    const char* narrow = "caf\xE9 \x80 \xFC";
    for (NarrowToWideConversion conversion : kNarrowToWide) {
        SCOPED_TRACE(conversion.name);
        const Bstr wide(conversion.convert(narrow));
        ASSERT_TRUE(wide);
        EXPECT_EQ(wide.view(), u"caf\u00E9 \u20AC \u00FC");
        EXPECT_EQ(WideToNarrowBounded(wide.get()), narrow);
        const NarrowBuffer back = WideToNarrow(wide.get());
        ASSERT_NE(back, nullptr);
        EXPECT_STREQ(back.get(), narrow);
    }
}

}  // namespace
