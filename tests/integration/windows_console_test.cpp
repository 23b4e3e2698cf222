// triggerhost.exe typed at under Wine: a Linux terminal becomes the program's console. What is
// typed reaches the plug-in whole (characters outside the ANSI code page included, an emoji one
// character), and what the host writes shows as text, its colour as colour. Run by the Windows
// build, which names the program (TB_WINDOWS_HOST) and Wine (TB_WINE) and sets the prefix.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "terminal_host.h"

namespace {

using testing::HasSubstr;

TEST(WindowsConsole, TypedTextOutsideTheAnsiCodePageArrivesWholeAndShowsAsText) {
    const char* host = std::getenv("TB_WINDOWS_HOST");
    const char* wine = std::getenv("TB_WINE");
    const char* locale = std::getenv("LC_ALL");
    ASSERT_TRUE(host != nullptr && wine != nullptr) << "run by the Windows build's tests";
    // Wine reads a terminal's bytes through the locale's character set: C.UTF-8 keeps the ANSI
    // code page of C (1252) and lets the terminal carry UTF-8.
    const std::string terminalLocale =
        locale == nullptr || std::string(locale) == "C" ? "C.UTF-8" : locale;
    TerminalHost console({wine, host, "--interactive"}, terminalLocale.c_str());
    ASSERT_TRUE(console.started());
    console.WaitFor("triggerhost>");
    // The condition holds only if the emoji came through as the one character the data has.
    console.WaitUntilEditing();
    console.Type("register 触发器-é /TriggerData/d[.='x😀'] -> host/log\r");
    EXPECT_THAT(console.WaitFor("< true"), HasSubstr("> registeraction 触发器-é"));
    console.WaitUntilEditing();
    console.Type("fire <d>x😀</d>\r");
    console.WaitFor("<FireResult matched=\"1\"><Trigger id=\"触发器-é\"/></FireResult>");
    console.WaitUntilEditing();
    console.Type("list\r");
    EXPECT_THAT(console.WaitFor("1 trigger"), HasSubstr("触发器-é  /TriggerData/d"));
    // One '?' for 'é': it arrived as one character.
    console.WaitUntilEditing();
    console.Type("unregister 触发器-?\r");
    console.WaitFor("< true");
    console.WaitUntilEditing();
    console.Type("list\r");
    console.WaitFor("0 triggers");
    console.WaitUntilEditing();
    console.Type("quit\r");
    EXPECT_EQ(console.Finish(), 0);
    // Colour reaches the console as colour, not as the escape sequence's characters.
    EXPECT_THAT(console.bytes(), HasSubstr("\x1b[32m< true"));
}

}  // namespace
