#include <string>

#include "code_page_fixture.h"

namespace {

std::string AllBytes() {
    std::string bytes(256, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i);
    }
    return bytes;
}

class Windows1252 : public AnsiCodePageTest {
  protected:
    void SetUp() override {
        AnsiCodePageTest::SetUp();
        Use(CP_WINDOWS_1252);
    }
};

TEST_F(Windows1252, EveryByteComesBackUnchanged) {
    const std::string bytes = AllBytes();
    std::u16string wide(256, u'#');
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes.data(), 256, wide.data(), 256), 256);

    std::string back(256, '#');
    BOOL used = TRUE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide.data(), 256, back.data(), 256, nullptr, &used),
              256);
    EXPECT_EQ(back, bytes);
    EXPECT_FALSE(used);
}

struct ByteMapping {
    unsigned char byte;
    char16_t character;
};

TEST_F(Windows1252, MapsTheHighControlRangeAsWindowsDoes) {
    const ByteMapping mappings[] = {
        {0x41, u'A'},   {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x82, 0x201A},
        {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x99, 0x2122},
        {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const ByteMapping& m : mappings) {
        const char byte = static_cast<char>(m.byte);
        char16_t wide = 0;
        ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &byte, 1, &wide, 1), 1);
        EXPECT_EQ(wide, m.character) << "byte " << int{m.byte};
    }
}

TEST_F(Windows1252, UnmappableCharactersBecomeABestFitOrTheDefaultCharacter) {
    struct Case {
        std::u16string input;
        const char* defaultChar;
        std::string expected;
        BOOL used;
    };
    const Case cases[] = {
        {u"plain", nullptr, "plain", FALSE},
        // A best fit is no use of the default character.
        {u"\u0100x", nullptr, "Ax", FALSE},
        {u"\u0100x", "*", "Ax", FALSE},
        {u"\u89E6x", nullptr, "?x", TRUE},
        {u"\u89E6x", "*", "*x", TRUE},
        {u"\u0080", nullptr, "?", TRUE},  // a C1 control that 1252 spells differently
        {u"\xD83D\xDE00", nullptr, "??", TRUE},
    };
    for (const Case& c : cases) {
        const int count = static_cast<int>(c.input.size());
        BOOL used = 2;
        EXPECT_EQ(
            WideCharToMultiByte(CP_ACP, 0, c.input.data(), count, nullptr, 0, c.defaultChar, &used),
            static_cast<int>(c.expected.size()));
        std::string output(c.expected.size(), '#');
        used = 2;
        ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, c.input.data(), count, output.data(),
                                      static_cast<int>(output.size()), c.defaultChar, &used),
                  static_cast<int>(c.expected.size()));
        EXPECT_EQ(output, c.expected);
        EXPECT_EQ(used, c.used) << c.expected;
    }
}

TEST_F(Windows1252, LocaleReportsTheChosenPage) {
    char value[8] = {};
    EXPECT_EQ(GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, value, 8), 5);
    EXPECT_STREQ(value, "1252");
}

}  // namespace
