#include <string>
#include <vector>

#include "code_page_fixture.h"

namespace {

constexpr int kWhole = -2;  // the input's own size, terminator not included

struct ToWide {
    const char* name;
    UINT codePage;
    std::string input;
    int count;  // -1, or kWhole for input.size()
    std::u16string expected;
};

void PrintTo(const ToWide& c, std::ostream* os) {
    *os << c.name;
}

class MultiByteToWide : public testing::TestWithParam<ToWide> {
  protected:
    int Count() const {
        return GetParam().count == kWhole ? static_cast<int>(GetParam().input.size())
                                          : GetParam().count;
    }
    int Convert(char16_t* output, int capacity) const {
        return MultiByteToWideChar(GetParam().codePage, 0, GetParam().input.c_str(), Count(),
                                   output, capacity);
    }
};

TEST_P(MultiByteToWide, SizeOnlyCallGivesTheCountTheConversionWrites) {
    const auto& c = GetParam();
    EXPECT_EQ(Convert(nullptr, 0), static_cast<int>(c.expected.size()));

    std::u16string output(c.expected.size(), u'#');
    ASSERT_EQ(Convert(output.data(), static_cast<int>(output.size())),
              static_cast<int>(c.expected.size()));
    EXPECT_EQ(output, c.expected);
}

TEST_P(MultiByteToWide, OneUnitTooFewIsAnInsufficientBuffer) {
    if (GetParam().expected.size() < 2) {
        return;  // no room at all is the size query, checked above
    }
    std::u16string output(GetParam().expected.size() - 1, u'#');
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(Convert(output.data(), static_cast<int>(output.size())), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Conversions, MultiByteToWide,
    testing::Values(
        ToWide{"TerminatedInputCountsItsTerminator", CP_UTF8, "abc", -1, u"abc\0"s},
        ToWide{"ExplicitCountAddsNoTerminator", CP_UTF8, "abc", kWhole, u"abc"},
        ToWide{"ExplicitCountCarriesEmbeddedZero", CP_UTF8, "ab\0c"s, kWhole, u"ab\0c"s},
        ToWide{"TwoByteSequence", CP_UTF8, "\xC3\xA9", kWhole, u"\u00E9"},
        ToWide{"ThreeByteSequence", CP_UTF8, "\xE2\x82\xAC", kWhole, u"\u20AC"},
        ToWide{"FourByteSequenceBecomesSurrogatePair", CP_UTF8, "\xF0\x9F\x98\x80", kWhole,
               u"\xD83D\xDE00"},
        ToWide{"AsciiRunsAroundMultibyte", CP_UTF8,
               "0123456789abcdef\xC3\xA9"
               "0123456789",
               kWhole,
               u"0123456789abcdef\u00E9"
               "0123456789"},
        ToWide{"InvalidLeadBeforeAsciiIsReplacedNotDropped", CP_UTF8, "\xC0\x41\x42", kWhole,
               u"\uFFFDAB"},
        ToWide{"EachStrayByteIsOneReplacement", CP_UTF8, "t\xFF\xFFt", kWhole, u"t\uFFFD\uFFFDt"},
        ToWide{"LoneContinuationByte", CP_UTF8, "\x80", kWhole, u"\uFFFD"},
        ToWide{"TruncatedSequenceAtEnd", CP_UTF8, "a\xE2\x82", kWhole, u"a\uFFFD"},
        ToWide{"TruncatedSequenceBeforeAscii", CP_UTF8,
               "\xE2\x82"
               "A",
               kWhole, u"\uFFFDA"},
        ToWide{"TruncatedSequenceBeforeTerminator", CP_UTF8, "\xF0\x9F\x98", -1, u"\uFFFD\0"s},
        ToWide{"OverlongFormIsNotDecoded", CP_UTF8, "\xE0\x80\xAF", kWhole, u"\uFFFD\uFFFD\uFFFD"},
        ToWide{"EncodedSurrogateIsNotDecoded", CP_UTF8, "\xED\xA0\x80", kWhole,
               u"\uFFFD\uFFFD\uFFFD"},
        ToWide{"BeyondLastCodePointIsNotDecoded", CP_UTF8, "\xF4\x90\x80\x80", kWhole,
               u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        ToWide{"AnsiPageIsUtf8ByDefault", CP_ACP, "\xC3\xA9", -1, u"\u00E9\0"s},
        ToWide{"ThreadAnsiPageIsUtf8ByDefault", CP_THREAD_ACP, "\xC3\xA9", kWhole, u"\u00E9"},
        ToWide{"ExplicitWindows1252", CP_WINDOWS_1252, "\x80\x81\xE9\xFF", kWhole,
               u"\u20AC\u0081\u00E9\u00FF"}),
    [](const testing::TestParamInfo<ToWide>& param) { return std::string(param.param.name); });

struct StrictCase {
    std::string input;
    bool valid;
};

class StrictUtf8 : public testing::TestWithParam<StrictCase> {};

TEST_P(StrictUtf8, IllFormedInputFailsInsteadOfBeingReplaced) {
    const auto& c = GetParam();
    char16_t output[16];
    SetLastError(ERROR_SUCCESS);
    const int written =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.input.c_str(), -1, output, 16);
    if (c.valid) {
        EXPECT_GT(written, 0);
    } else {
        EXPECT_EQ(written, 0);
        EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    }
}

INSTANTIATE_TEST_SUITE_P(Utf8, StrictUtf8,
                         testing::Values(StrictCase{"plain", true},
                                         StrictCase{"\xF0\x9F\x98\x80", true},
                                         StrictCase{"\xC0\x41", false},
                                         StrictCase{"ab\xE2\x82", false},
                                         StrictCase{"\xED\xB0\x80", false}));

struct BadCall {
    const char* name;
    UINT codePage;
    DWORD flags;
    bool nullInput;
    int count;
    bool nullOutput;
    int capacity;
    DWORD error;
};

void PrintTo(const BadCall& c, std::ostream* os) {
    *os << c.name;
}

class MultiByteToWideRefuses : public testing::TestWithParam<BadCall> {};

TEST_P(MultiByteToWideRefuses, WithZeroAndTheLastError) {
    const auto& c = GetParam();
    char16_t output[8] = {u'#'};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(c.codePage, c.flags, c.nullInput ? nullptr : "abc", c.count,
                                  c.nullOutput ? nullptr : output, c.capacity),
              0);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(output[0], u'#');
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, MultiByteToWideRefuses,
    testing::Values(
        BadCall{"NullInput", CP_UTF8, 0, true, -1, false, 8, ERROR_INVALID_PARAMETER},
        BadCall{"ZeroCount", CP_UTF8, 0, false, 0, false, 8, ERROR_INVALID_PARAMETER},
        BadCall{"CountBelowMinusOne", CP_UTF8, 0, false, -2, false, 8, ERROR_INVALID_PARAMETER},
        BadCall{"NegativeCapacity", CP_UTF8, 0, false, -1, false, -1, ERROR_INVALID_PARAMETER},
        BadCall{"NullOutputWithCapacity", CP_UTF8, 0, false, -1, true, 8, ERROR_INVALID_PARAMETER},
        BadCall{"UnknownCodePage", 932, 0, false, -1, false, 8, ERROR_INVALID_PARAMETER},
        BadCall{"PrecomposedIsNoUtf8Flag", CP_UTF8, MB_PRECOMPOSED, false, -1, false, 8,
                ERROR_INVALID_FLAGS}),
    [](const testing::TestParamInfo<BadCall>& param) { return std::string(param.param.name); });

TEST(MultiByteToWideRefuses, TheSameBufferForInputAndOutput) {
    char16_t shared[8] = {u'a', u'b', 0};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(shared), 2, shared, 8),
              0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

using AnsiPageToWide = AnsiCodePageTest;

TEST_F(AnsiPageToWide, FollowsTheProcessCodePage) {
    Use(CP_WINDOWS_1252);
    EXPECT_EQ(GetACP(), CP_WINDOWS_1252);
    char16_t output[4] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xC3\xA9", -1, output, 4), 3);
    EXPECT_EQ(std::u16string(output), u"\u00C3\u00A9");
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA9", -1, output, 4), 2);
    EXPECT_EQ(std::u16string(output), u"\u00E9");
}

TEST_F(AnsiPageToWide, OnlyUtf8And1252CanBeChosen) {
    Use(CP_WINDOWS_1252);
    for (UINT refused : {0u, 437u, 932u, 1250u, 65000u}) {
        EXPECT_FALSE(PlatformSetAnsiCodePage(refused)) << refused;
        EXPECT_EQ(GetACP(), CP_WINDOWS_1252) << refused;
    }
}

}  // namespace
