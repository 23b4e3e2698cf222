// Answers of the Win32/OLE calls where the stand-in outside Windows must say exactly what the real
// platform says. The same tables run on Linux against the stand-in and on Windows (under Wine)
// against the system; a row that differs shows in one of the two runs.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "companions/bstr.h"

namespace {

// Windows-1252 named outright, so the rows hold whatever the process's ANSI code page is.
constexpr UINT kWindows1252 = 1252;

struct BestFitCase {
    const char* name;
    const OLECHAR* wide;
    DWORD flags;
    std::string narrow;
    BOOL usedDefault;
};

const BestFitCase kBestFitCases[] = {
    {"OwnCharacters", OLESTR("\u00E9\u20AC\u0178"), 0, "\xE9\x80\x9F", FALSE},
    {"LatinLetterWithMacron", OLESTR("\u0100\u0101"), 0, "Aa", FALSE},
    {"GreekCapitalOmega", OLESTR("\u03A9"), 0, "O", FALSE},
    {"MinusSign", OLESTR("\u2212"), 0, "-", FALSE},
    {"FullwidthLetter", OLESTR("\uFF21"), 0, "A", FALSE},
    {"CjkHasNoBestFit", OLESTR("\u89E6"), 0, "?", TRUE},
    {"SurrogatePairIsTwoDefaults", OLESTR("\U0001F600"), 0, "??", TRUE},
    {"C1ControlHasNoBestFit", OLESTR("\u0080"), 0, "?", TRUE},
    {"BestFitRefused", OLESTR("\u0100\u2212"), WC_NO_BEST_FIT_CHARS, "??", TRUE},
    {"BestFitBesideDefault", OLESTR("\u0100\u89E6"), 0, "A?", TRUE},
};

class BestFitTest : public ::testing::TestWithParam<BestFitCase> {};

TEST_P(BestFitTest, ConvertsAsTheRealPlatform) {
    const BestFitCase& c = GetParam();
    std::string narrow(16, '#');
    BOOL used = 2;
    const int written = WideCharToMultiByte(kWindows1252, c.flags, c.wide, -1, narrow.data(),
                                            static_cast<int>(narrow.size()), nullptr, &used);
    ASSERT_EQ(written, static_cast<int>(c.narrow.size() + 1));
    EXPECT_EQ(narrow.substr(0, c.narrow.size()), c.narrow);
    EXPECT_EQ(used, c.usedDefault);
}

INSTANTIATE_TEST_SUITE_P(Windows1252, BestFitTest, ::testing::ValuesIn(kBestFitCases),
                         [](const auto& param) { return std::string(param.param.name); });

struct RealTextCase {
    const char* name;
    VARTYPE type;
    double value;
    const OLECHAR* text;
};

const RealTextCase kRealTextCases[] = {
    {"WholeNumberWithoutExponent", VT_R8, 100000, OLESTR("100000")},
    {"FifteenDigitsHideTheBinaryError", VT_R8, 0.1 + 0.2, OLESTR("0.3")},
    {"Third", VT_R8, 1.0 / 3, OLESTR("0.333333333333333")},
    {"FifteenDigitsRounded", VT_R8, 123456789012345678.0, OLESTR("1.23456789012346E+17")},
    {"LargestWithoutExponent", VT_R8, 1e14, OLESTR("100000000000000")},
    {"SmallestWithExponent", VT_R8, 1e15, OLESTR("1E+15")},
    {"LargeExponent", VT_R8, 1e21, OLESTR("1E+21")},
    {"SmallFraction", VT_R8, 0.0001, OLESTR("0.0001")},
    {"SmallerFractionTakesAnExponent", VT_R8, 0.00001, OLESTR("1E-05")},
    {"Negative", VT_R8, -2.25, OLESTR("-2.25")},
    {"NegativeZeroIsZero", VT_R8, -0.0, OLESTR("0")},
    {"SmallestDenormal", VT_R8, 4.9406564584124654e-324, OLESTR("4.94065645841247E-324")},
    {"FloatTenth", VT_R4, 0.1, OLESTR("0.1")},
    {"FloatSevenDigits", VT_R4, 1.0 / 3, OLESTR("0.3333333")},
    {"FloatExponent", VT_R4, 16777216.0, OLESTR("1.677722E+07")},
};

class RealTextTest : public ::testing::TestWithParam<RealTextCase> {};

TEST_P(RealTextTest, IsWrittenAsTheRealPlatformWritesIt) {
    const RealTextCase& c = GetParam();
    VARIANT source;
    VariantInit(&source);
    source.vt = c.type;
    if (c.type == VT_R4) {
        source.fltVal = static_cast<FLOAT>(c.value);
    } else {
        source.dblVal = c.value;
    }
    VARIANT text;
    VariantInit(&text);
    ASSERT_EQ(VariantChangeType(&text, &source, 0, VT_BSTR), S_OK);
    ASSERT_EQ(text.vt, VT_BSTR);
    const Bstr owned(text.bstrVal);
    EXPECT_EQ(owned.view(), OleStringView(c.text));
}

INSTANTIATE_TEST_SUITE_P(Values, RealTextTest, ::testing::ValuesIn(kRealTextCases),
                         [](const auto& param) { return std::string(param.param.name); });

// COM's per-thread count and model, each row on a fresh thread: the answer to each call, then,
// once every success is balanced, S_OK again.
struct ComInitCase {
    const char* name;
    std::vector<std::pair<DWORD, HRESULT>> calls;  // model, answer
};

class ComInitTest : public ::testing::TestWithParam<ComInitCase> {};

TEST_P(ComInitTest, AnswersAsTheRealPlatform) {
    std::vector<HRESULT> answers;
    std::thread([&] {
        for (const auto& [model, expected] : GetParam().calls) {
            answers.push_back(CoInitializeEx(nullptr, model));
        }
        for (const HRESULT answer : answers) {
            if (SUCCEEDED(answer)) {
                CoUninitialize();
            }
        }
        answers.push_back(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CoUninitialize();
    }).join();
    std::vector<HRESULT> expected;
    for (const auto& call : GetParam().calls) {
        expected.push_back(call.second);
    }
    expected.push_back(S_OK);
    EXPECT_EQ(answers, expected);
}

constexpr DWORD kMta = COINIT_MULTITHREADED;
constexpr DWORD kSta = COINIT_APARTMENTTHREADED;
INSTANTIATE_TEST_SUITE_P(
    Platform, ComInitTest,
    ::testing::Values(ComInitCase{"FirstThenAgain", {{kMta, S_OK}, {kMta, S_FALSE}}},
                      ComInitCase{"OtherModelRefused",
                                  {{kMta, S_OK}, {kSta, RPC_E_CHANGED_MODE}, {kMta, S_FALSE}}},
                      ComInitCase{"ApartmentFirst",
                                  {{kSta, S_OK}, {kMta, RPC_E_CHANGED_MODE}, {kSta, S_FALSE}}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
