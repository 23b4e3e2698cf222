#include <string>

#include "code_page_fixture.h"

namespace {

using namespace std::string_literals;

constexpr int kWhole = -2;  // the input's own size, terminator not included

struct ToNarrow {
    const char* name;
    UINT codePage;
    std::u16string input;
    int count;  // -1, or kWhole for input.size()
    std::string expected;
};

void PrintTo(const ToNarrow& c, std::ostream* os) {
    *os << c.name;
}

class WideToMultiByte : public testing::TestWithParam<ToNarrow> {
  protected:
    int Convert(char* output, int capacity) const {
        const auto& c = GetParam();
        const int count = c.count == kWhole ? static_cast<int>(c.input.size()) : c.count;
        return WideCharToMultiByte(c.codePage, 0, c.input.c_str(), count, output, capacity, nullptr,
                                   nullptr);
    }
};

TEST_P(WideToMultiByte, SizeOnlyCallGivesTheCountTheConversionWrites) {
    const auto& c = GetParam();
    EXPECT_EQ(Convert(nullptr, 0), static_cast<int>(c.expected.size()));

    std::string output(c.expected.size(), '#');
    ASSERT_EQ(Convert(output.data(), static_cast<int>(output.size())),
              static_cast<int>(c.expected.size()));
    EXPECT_EQ(output, c.expected);
}

TEST_P(WideToMultiByte, OneByteTooFewIsAnInsufficientBuffer) {
    std::string output(GetParam().expected.size() - 1, '#');
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(Convert(output.data(), static_cast<int>(output.size())), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, WideToMultiByte,
    testing::Values(
        ToNarrow{"TerminatedInputCountsItsTerminator", CP_UTF8, u"abc", -1, "abc\0"s},
        ToNarrow{"ExplicitCountAddsNoTerminator", CP_UTF8, u"abc", kWhole, "abc"},
        ToNarrow{"ExplicitCountCarriesEmbeddedZero", CP_UTF8, u"a\0b"s, kWhole, "a\0b"s},
        ToNarrow{"TwoByteCharacter", CP_UTF8, u"\u00E9", kWhole, "\xC3\xA9"},
        ToNarrow{"ThreeByteCharacter", CP_UTF8, u"\u20AC", kWhole, "\xE2\x82\xAC"},
        ToNarrow{"SurrogatePairIsOneFourByteCharacter", CP_UTF8, u"\xD83D\xDE00", kWhole,
                 "\xF0\x9F\x98\x80"},
        ToNarrow{"AsciiRunsAroundMultibyte", CP_UTF8, u"0123456789\u00E9abcdefgh", kWhole,
                 "0123456789\xC3\xA9"
                 "abcdefgh"},
        ToNarrow{"UnpairedHighSurrogateIsReplaced", CP_UTF8,
                 u"\xD800"
                 "A",
                 kWhole,
                 "\xEF\xBF\xBD"
                 "A"},
        ToNarrow{"UnpairedLowSurrogateIsReplaced", CP_UTF8, u"\xDC00", kWhole, "\xEF\xBF\xBD"},
        ToNarrow{"HighSurrogateCutOffByTheCount", CP_UTF8, u"a\xD83D", kWhole, "a\xEF\xBF\xBD"},
        ToNarrow{"HighSurrogateBeforeTerminator", CP_UTF8, u"\xD83D", -1, "\xEF\xBF\xBD\0"s},
        ToNarrow{"ReversedPairIsTwoReplacements", CP_UTF8, u"\xDE00\xD83D", kWhole,
                 "\xEF\xBF\xBD\xEF\xBF\xBD"},
        ToNarrow{"AnsiPageIsUtf8ByDefault", CP_ACP, u"\u00E9", -1, "\xC3\xA9\0"s},
        ToNarrow{"Windows1252KnownCharacters", CP_WINDOWS_1252, u"\u20AC\u00E9\u0178", kWhole,
                 "\x80\xE9\x9F"},
        // A best fit where Windows has one, the default character where it has none.
        ToNarrow{"Windows1252BestFitOrDefault", CP_WINDOWS_1252, u"a\u0100\u4E2D\x0080", kWhole,
                 "aA??"}),
    [](const testing::TestParamInfo<ToNarrow>& param) { return std::string(param.param.name); });

TEST(WideToMultiByteStrict, UnpairedSurrogateFailsTheCall) {
    char output[16];
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS,
                                  u"a\xD800"
                                  "b",
                                  -1, output, 16, nullptr, nullptr),
              0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xD83D\xDE00", -1, output, 16,
                                  nullptr, nullptr),
              6);
}

TEST(WideToMultiByteRefuses, ADefaultCharacterForUtf8) {
    char output[8];
    BOOL used = FALSE;
    for (UINT page : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(WideCharToMultiByte(page, 0, u"a", -1, output, 8, "?", nullptr), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(WideCharToMultiByte(page, 0, u"a", -1, output, 8, nullptr, &used), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

TEST(WideToMultiByteRefuses, BadArguments) {
    char output[8];
    const char16_t* text = u"abc";
    struct Call {
        UINT page;
        DWORD flags;
        const char16_t* input;
        int count;
        char* output;
        int capacity;
        DWORD error;
    };
    const Call calls[] = {
        {CP_UTF8, 0, nullptr, -1, output, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, 0, text, 0, output, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, 0, text, -3, output, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, 0, text, -1, nullptr, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, 0, text, -1, output, -1, ERROR_INVALID_PARAMETER},
        {20127, 0, text, -1, output, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, WC_NO_BEST_FIT_CHARS, text, -1, output, 8, ERROR_INVALID_FLAGS},
        {CP_WINDOWS_1252, WC_ERR_INVALID_CHARS, text, -1, output, 8, ERROR_INVALID_FLAGS},
    };
    for (const Call& call : calls) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(WideCharToMultiByte(call.page, call.flags, call.input, call.count, call.output,
                                      call.capacity, nullptr, nullptr),
                  0);
        EXPECT_EQ(GetLastError(), call.error) << "page " << call.page << " count " << call.count;
    }
}

TEST(WideToMultiByteRefuses, TheSameBufferForInputAndOutput) {
    char16_t shared[8] = {u'a', u'b', 0};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, shared, 2, reinterpret_cast<char*>(shared), 16,
                                  nullptr, nullptr),
              0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
