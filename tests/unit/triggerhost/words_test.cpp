// Words for people: the nearest command to a misspelt one, result codes, colour, and the JSON
// text scripts read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "json_text.h"
#include "nearest_word.h"
#include "result_words.h"
#include "shell_help.h"
#include "terminal_style.h"

namespace {

struct Misspelt {
    const char* typed;
    std::optional<std::string> meant;
};

class MisspeltCommands : public testing::TestWithParam<Misspelt> {};

TEST_P(MisspeltCommands, SuggestTheNearestCommandWhenItIsNearEnough) {
    EXPECT_EQ(NearestWord(GetParam().typed, CommandWords()), GetParam().meant);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MisspeltCommands,
    testing::Values(Misspelt{"Fire", "fire"}, Misspelt{"LIST", "list"}, Misspelt{"lst", "list"},
                    Misspelt{"hisory", "history"}, Misspelt{"histroy", "history"},
                    Misspelt{"regster", "register"}, Misspelt{"unregistr", "unregister"},
                    Misspelt{"fier", "fire"}, Misspelt{"delete", "deletedb"},
                    Misspelt{"fire", std::nullopt}, Misspelt{"xyz", std::nullopt},
                    Misspelt{"registeractions", std::nullopt}, Misspelt{"", std::nullopt}));

TEST(Words, ResultCodesCarryTheirMeaning) {
    EXPECT_EQ(CodeInWords(E_INVALIDARG), "0x80070057 invalid argument");
    EXPECT_EQ(CodeInWords(DISP_E_MEMBERNOTFOUND), "0x80020003 member not found");
    EXPECT_EQ(CodeInWords(S_FALSE), "0x00000001 the command did not succeed");
    EXPECT_EQ(CodeInWords(HRESULT_FROM_WIN32(112)), "0x80070070 the disk is full");
    EXPECT_EQ(CodeInWords(static_cast<HRESULT>(0x8BADF00Du)), "0x8BADF00D");
}

TEST(Words, ColourOnlyOnATerminalWithoutNoColor) {
    EXPECT_TRUE(ColourWanted(true, nullptr));
    EXPECT_TRUE(ColourWanted(true, ""));
    EXPECT_FALSE(ColourWanted(true, "1"));
    EXPECT_FALSE(ColourWanted(false, nullptr));
    EXPECT_EQ(Tinted(Tint::Good, "ok", false), "ok");
    EXPECT_EQ(Tinted(Tint::Good, "ok", true), "\x1b[32mok\x1b[0m");
}

struct JsonCase {
    std::string text;
    std::string json;
};

class JsonStrings : public testing::TestWithParam<JsonCase> {};

TEST_P(JsonStrings, AreValidJsonInValidUtf8) {
    std::string out;
    AppendJsonString(out, GetParam().text);
    EXPECT_EQ(out, GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(
    Table, JsonStrings,
    testing::Values(JsonCase{"plain", "\"plain\""}, JsonCase{"a\"b\\c", "\"a\\\"b\\\\c\""},
                    JsonCase{"\n\r\t", "\"\\n\\r\\t\""},
                    JsonCase{std::string("\x01\x1F\x7F", 3), "\"\\u0001\\u001F\\u007F\""},
                    JsonCase{std::string("\0", 1), "\"\\u0000\""},
                    JsonCase{"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
                             "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\""},
                    // Not UTF-8: a lone continuation byte, a cut sequence, an overlong form, a
                    // surrogate and a code point past U+10FFFF.
                    JsonCase{"\x80", "\"\xEF\xBF\xBD\""},
                    JsonCase{"\xE2\x82", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
                    JsonCase{"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
                    JsonCase{"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
                    JsonCase{"\xF4\x90\x80\x80",
                             "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}));

TEST(Words, JsonObjectsJoinTheirMembers) {
    EXPECT_EQ(
        JsonObject().Text("k", "v").Number("n", -3).Flag("f", false).List("l", {"a", "b"}).Line(),
        "{\"k\":\"v\",\"n\":-3,\"f\":false,\"l\":[\"a\",\"b\"]}");
    EXPECT_EQ(JsonObject().Line(), "{}");
}

}  // namespace
