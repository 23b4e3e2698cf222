// Long ASCII runs are converted in blocks; a character outside ASCII at any place in or around a
// block, and a buffer that ends at any place, must come out exactly as one unit at a time would.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"

namespace {

constexpr int kRunLength = 40;

// kRunLength ASCII letters with `other` (UTF-8 `otherUtf8`) put in at `at`.
struct Sample {
    std::string narrow;
    std::u16string wide;
};

Sample SampleWith(int at, const std::string& otherUtf8, const std::u16string& other) {
    Sample sample;
    for (int i = 0; i < kRunLength; ++i) {
        if (i == at) {
            sample.narrow += otherUtf8;
            sample.wide += other;
        }
        const char letter = static_cast<char>('a' + i % 26);
        sample.narrow += letter;
        sample.wide += static_cast<char16_t>(letter);
    }
    return sample;
}

class AsciiRun : public testing::TestWithParam<int> {};

TEST_P(AsciiRun, NarrowToWideMatchesAtEveryPlace) {
    for (const auto& [utf8, wide] : {std::pair<std::string, std::u16string>{"\xC3\xA9", u"\u00E9"},
                                     {"\xF0\x9F\x98\x80", u"\U0001F600"},
                                     {"\xFF", u"\uFFFD"}}) {
        const Sample sample = SampleWith(GetParam(), utf8, wide);
        const int bytes = static_cast<int>(sample.narrow.size());
        ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, sample.narrow.data(), bytes, nullptr, 0),
                  static_cast<int>(sample.wide.size()));
        std::u16string output(sample.wide.size(), u'#');
        ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, sample.narrow.data(), bytes, output.data(),
                                      static_cast<int>(output.size())),
                  static_cast<int>(sample.wide.size()));
        EXPECT_EQ(output, sample.wide);
        // Every buffer one unit or more too small is refused, never overrun.
        for (std::size_t room = 1; room < sample.wide.size(); ++room) {
            std::u16string small(room + 1, u'#');
            EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, sample.narrow.data(), bytes, small.data(),
                                          static_cast<int>(room)),
                      0);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
            EXPECT_EQ(small[room], u'#');
        }
    }
}

TEST_P(AsciiRun, WideToNarrowMatchesAtEveryPlace) {
    for (const auto& [utf8, wide] : {std::pair<std::string, std::u16string>{"\xC3\xA9", u"\u00E9"},
                                     {"\xE2\x82\xAC", u"\u20AC"},
                                     {"\xEF\xBF\xBD", u"\xD800"}}) {
        const Sample sample = SampleWith(GetParam(), utf8, wide);
        const int units = static_cast<int>(sample.wide.size());
        ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, sample.wide.data(), units, nullptr, 0, nullptr,
                                      nullptr),
                  static_cast<int>(sample.narrow.size()));
        std::string output(sample.narrow.size(), '#');
        ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, sample.wide.data(), units, output.data(),
                                      static_cast<int>(output.size()), nullptr, nullptr),
                  static_cast<int>(sample.narrow.size()));
        EXPECT_EQ(output, sample.narrow);
        for (std::size_t room = 1; room < sample.narrow.size(); ++room) {
            std::string small(room + 1, '#');
            EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, sample.wide.data(), units, small.data(),
                                          static_cast<int>(room), nullptr, nullptr),
                      0);
            EXPECT_EQ(small[room], '#');
        }
    }
}

// Places before, inside and after the first two blocks, and none at all (kRunLength).
INSTANTIATE_TEST_SUITE_P(Places, AsciiRun,
                         testing::Values(0, 1, 7, 8, 15, 16, 17, 23, 31, 32, 33, 39, kRunLength));

}  // namespace
