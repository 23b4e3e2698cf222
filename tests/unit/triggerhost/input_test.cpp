#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <vector>

#include "input_limits.h"
#include "line_reader.h"

namespace {

using Status = LineReader::Status;
using Lines = std::vector<std::pair<Status, std::string>>;

struct LineCase {
    std::string input;
    std::size_t maxBytes;
    Lines expected;  // every line read, up to and without the end
};

class LineReaderTest : public testing::TestWithParam<LineCase> {};

TEST_P(LineReaderTest, GivesEachLineOrSkipsOneTooLong) {
    std::istringstream input(GetParam().input);
    LineReader reader(input, GetParam().maxBytes);
    Lines read;
    std::string line;
    for (Status status; (status = reader.Next(line)) != Status::End;) {
        read.emplace_back(status, line);
        EXPECT_EQ(reader.lineNumber(), read.size());
    }
    EXPECT_EQ(read, GetParam().expected);
}

const std::string kLongerThanAPiece(100'000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Lines, LineReaderTest,
    testing::Values(LineCase{"a\nb\n", 10, {{Status::Line, "a"}, {Status::Line, "b"}}},
                    LineCase{"last", 10, {{Status::Line, "last"}}},
                    LineCase{"\n\n", 10, {{Status::Line, ""}, {Status::Line, ""}}},
                    LineCase{"", 10, {}},
                    LineCase{"0123456789\n", 10, {{Status::Line, "0123456789"}}},
                    LineCase{
                        "0123456789A\nok\n", 10, {{Status::TooLong, ""}, {Status::Line, "ok"}}},
                    LineCase{kLongerThanAPiece + "\nok",
                             200'000,
                             {{Status::Line, kLongerThanAPiece}, {Status::Line, "ok"}}},
                    LineCase{kLongerThanAPiece + kLongerThanAPiece + "\nok",
                             150'000,
                             {{Status::TooLong, ""}, {Status::Line, "ok"}}}));

struct EchoCase {
    std::string text;
    std::string expected;
};

class ShortenedTest : public testing::TestWithParam<EchoCase> {};

TEST_P(ShortenedTest, CutsLongTextsOnACharacterAndGivesTheirSize) {
    EXPECT_EQ(Shortened(GetParam().text), GetParam().expected);
}

const std::string kEchoed(kEchoBytes, 'x');

INSTANTIATE_TEST_SUITE_P(
    Echo, ShortenedTest,
    testing::Values(EchoCase{"", ""}, EchoCase{kEchoed, kEchoed},
                    EchoCase{kEchoed + "y", kEchoed + "\xE2\x80\xA6 (1025 bytes)"},
                    // "é" is two bytes and would straddle the cut: it goes whole.
                    EchoCase{kEchoed.substr(1) + "\xC3\xA9y",
                             kEchoed.substr(1) + "\xE2\x80\xA6 (1026 bytes)"}));

}  // namespace
