#include <gtest/gtest.h>

#include "options.h"

namespace {

struct BadCommandLine {
    std::vector<std::string> arguments;
    std::string messagePart;
};

class BadCommandLineTest : public testing::TestWithParam<BadCommandLine> {};

TEST_P(BadCommandLineTest, IsRefusedWithAOneLineMessageNamingTheProblem) {
    std::string error;
    EXPECT_FALSE(ParseOptions(GetParam().arguments, error).has_value());
    EXPECT_NE(error.find(GetParam().messagePart), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadCommandLineTest,
    testing::Values(BadCommandLine{{"--frobnicate"}, "--frobnicate"}, BadCommandLine{{"-x"}, "-x"},
                    BadCommandLine{{"--database"}, "--database"},
                    BadCommandLine{{"--module"}, "--module"},
                    BadCommandLine{{"a.xml", "b.xml"}, "b.xml"},
                    BadCommandLine{{"a.xml", "--interactive"}, "not both"},
                    BadCommandLine{{"--quiet", "--verbose"}, "--quiet"},
                    BadCommandLine{{"--chain-budget"}, "--chain-budget"},
                    BadCommandLine{{"--chain-budget", "0"}, "'0'"},
                    BadCommandLine{{"--chain-budget", "12x"}, "'12x'"},
                    BadCommandLine{{"--chain-budget", "-5"}, "'-5'"},
                    BadCommandLine{{"--chain-budget", "2147483648"}, "'2147483648'"},
                    BadCommandLine{{"--dom"}, "--dom"},
                    BadCommandLine{{"--dom", "Platform"}, "'Platform'"},
                    BadCommandLine{{"--dom", "msxml"}, "'msxml'"}));

TEST(Options, ReadsEveryOptionInShortAndLongForm) {
    std::string error;
    const auto longForm =
        ParseOptions({"--database", "t.db", "--delivery-thread", "--module", "m.so", "--verbose",
                      "--chain-budget", "2147483647", "s.xml"},
                     error);
    const auto shortForm = ParseOptions(
        {"-d", "t.db", "-t", "-m", "m.so", "-v", "--chain-budget", "2147483647", "s.xml"}, error);
    for (const auto& options : {longForm, shortForm}) {
        ASSERT_TRUE(options.has_value()) << error;
        EXPECT_EQ(options->databasePath, "t.db");
        EXPECT_TRUE(options->deliveryThread);
        EXPECT_EQ(options->modulePath, "m.so");
        EXPECT_TRUE(options->verbose);
        EXPECT_EQ(options->chainBudget, 2147483647);
        EXPECT_EQ(options->scenarioPath, "s.xml");
        EXPECT_FALSE(options->interactive);
    }
}

TEST(Options, DomChoosesThePlugInsDocumentsAndTheLastOneCounts) {
    std::string error;
    for (const auto& [arguments, platform] : std::vector<std::pair<std::vector<std::string>, bool>>{
             {{}, false},
             {{"--dom", "platform"}, true},
             {{"--dom", "libxml2"}, false},
             {{"--dom", "platform", "--dom", "libxml2"}, false}}) {
        const auto options = ParseOptions(arguments, error);
        ASSERT_TRUE(options.has_value()) << error;
        EXPECT_EQ(options->platformDom, platform) << testing::PrintToString(arguments);
    }
    EXPECT_NE(UsageText().find("--dom"), std::string::npos);
}

TEST(Options, DefaultsRunTheBuiltInScenarioInMemory) {
    std::string error;
    const auto options = ParseOptions({}, error);
    ASSERT_TRUE(options.has_value());
    EXPECT_TRUE(options->scenarioPath.empty());
    EXPECT_TRUE(options->databasePath.empty());
    EXPECT_EQ(options->chainBudget, 0);
    EXPECT_FALSE(options->interactive);
    EXPECT_FALSE(options->deliveryThread);
}

TEST(Options, DashMeansStandardInput) {
    std::string error;
    const auto options = ParseOptions({"-"}, error);
    ASSERT_TRUE(options.has_value());
    EXPECT_TRUE(options->interactive);
}

TEST(Options, UsageNamesEveryOption) {
    const std::string usage = UsageText();
    for (const char* option : {"--database", "--delivery-thread", "--module", "--interactive",
                               "--quiet", "--verbose", "--help", "EXIT STATUS"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

}  // namespace
