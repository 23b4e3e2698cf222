#include <gtest/gtest.h>

#include "options.h"
#include "session_format.h"

namespace {

// However a DOM ends a document's text, an action is one line, the same as on Linux.
TEST(SessionFormat, AnActionIsOneLineWhateverEndsItsXml) {
    const std::string fire =
        R"(<Action type="trigger" name="fire"><TriggerData><x/></TriggerData></Action>)";
    const std::string result = "<ActionResult><Result>true</Result></ActionResult>";
    const auto format = MakeTextFormat(HostOptions{}, false);
    const std::string expected = format->Action({fire, result, S_OK});
    EXPECT_EQ(expected.find('\n'), std::string::npos) << expected;
    for (const char* ending : {"\r\n", "\n", "\r\n\r\n"}) {
        EXPECT_EQ(format->Action({fire + ending, result + ending, S_OK}), expected)
            << testing::PrintToString(std::string(ending));
    }
}

}  // namespace
