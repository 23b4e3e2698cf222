// ConfigDataEvaluate and ConfigDataCheckExpression, the trigger manager's condition checks.
#include "dom_support.h"

namespace configdata_test {
namespace {

constexpr const char* kFired =
    "<?xml version=\"1.0\"?> <TriggerData><door id=\"front\" state=\"open\"/>"
    "<count>3</count></TriggerData>";

ComPtr<IConfigDocument> Fired(const char* text = kFired) {
    ComPtr<IConfigDocument> document = NewConfigDocument();
    LONG loaded = 0;
    EXPECT_EQ(document->LoadXml(B(text).get(), &loaded), S_OK);
    return document;
}

struct Truth {
    const char* name;
    const char* expression;
    LONG matched;
};

class EvaluateTruth : public testing::TestWithParam<Truth> {};

TEST_P(EvaluateTruth, MatchesAsXPathBooleanSays) {
    LONG matched = 7;
    EXPECT_EQ(ConfigDataEvaluate(Fired().get(), B(GetParam().expression).get(), &matched), S_OK);
    EXPECT_EQ(matched, GetParam().matched);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EvaluateTruth,
    testing::Values(Truth{"NodeSetSelects", "/TriggerData/door[@state='open']", 1},
                    Truth{"NodeSetEmpty", "/TriggerData/door[@state='closed']", 0},
                    Truth{"AndOfAttributes", "/TriggerData/door[@id='front' and @state='open']", 1},
                    Truth{"RelativeFromTheRoot", "door[@id='front']", 1},
                    Truth{"RootIsTheContext", "self::TriggerData", 1},
                    Truth{"BooleanTrue", "count(//door) = 1", 1},
                    Truth{"BooleanFalse", "false()", 0},
                    Truth{"NumberNonZero", "number(/TriggerData/count)", 1},
                    Truth{"NumberZero", "number(/TriggerData/count) - 3", 0},
                    Truth{"NumberNaN", "number('x')", 0},
                    Truth{"StringNonEmpty", "string(/TriggerData/door/@id)", 1},
                    Truth{"StringEmpty", "string(/TriggerData/nothing)", 0}),
    CaseName());

TEST(Evaluate, ExpressionThatDoesNotCompileIsInvalidArgument) {
    for (const char* expression :
         {"/door[", "", "nosuch(1)", "$unbound", "count(1)", "xpath-work.union(/, /)"}) {
        SetErrorInfo(0, nullptr);
        LONG matched = 7;
        EXPECT_EQ(ConfigDataEvaluate(Fired().get(), B(expression).get(), &matched), E_INVALIDARG)
            << expression;
        EXPECT_EQ(matched, 0);
        EXPECT_THAT(LastErrorDescription(), testing::HasSubstr("does not compile")) << expression;
    }
}

TEST(Evaluate, UnknownFunctionOnABranchOnlyDataReachesFailsThatEvaluation) {
    const Bstr expression = B("/TriggerData/door and nosuch()");
    LONG valid = 0;
    EXPECT_EQ(ConfigDataCheckExpression(expression.get(), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    SetErrorInfo(0, nullptr);
    LONG matched = 7;
    EXPECT_EQ(ConfigDataEvaluate(Fired().get(), expression.get(), &matched), S_FALSE);
    EXPECT_EQ(matched, 0);
    EXPECT_THAT(LastErrorDescription(), testing::HasSubstr("cannot be evaluated"));
}

TEST(Evaluate, DocumentWithoutRootMatchesNothing) {
    LONG matched = 7;
    EXPECT_EQ(ConfigDataEvaluate(NewConfigDocument().get(), B("true()").get(), &matched), S_OK);
    EXPECT_EQ(matched, 0);
    EXPECT_EQ(ConfigDataEvaluate(NewConfigDocument().get(), B("/[").get(), &matched), E_INVALIDARG);
}

TEST(Evaluate, NullArgumentsAreRefused) {
    LONG matched = 7;
    EXPECT_EQ(ConfigDataEvaluate(nullptr, B("/*").get(), &matched), E_POINTER);
    EXPECT_EQ(matched, 0);
    EXPECT_EQ(ConfigDataEvaluate(Fired().get(), B("/*").get(), nullptr), E_POINTER);
    EXPECT_EQ(ConfigDataEvaluate(Fired().get(), nullptr, &matched), E_INVALIDARG);
    EXPECT_EQ(ConfigDataCheckExpression(B("/*").get(), nullptr), E_POINTER);
}

TEST(Evaluate, SameExpressionAgainstManyDocuments) {
    const Bstr expression = B("/TriggerData/door[@state='open']");
    for (int i = 0; i < 50; ++i) {
        const bool open = i % 2 == 0;
        const std::string text = std::string("<TriggerData><door state=\"") +
                                 (open ? "open" : "closed") + "\"/></TriggerData>";
        LONG matched = 7;
        ASSERT_EQ(ConfigDataEvaluate(Fired(text.c_str()).get(), expression.get(), &matched), S_OK);
        EXPECT_EQ(matched, open ? 1 : 0) << i;
    }
}

struct Check {
    const char* name;
    const char* expression;
    LONG valid;
};

class CheckExpression : public testing::TestWithParam<Check> {};

TEST_P(CheckExpression, AnswersWhetherItCompiles) {
    LONG valid = 7;
    EXPECT_EQ(ConfigDataCheckExpression(B(GetParam().expression).get(), &valid), S_OK);
    EXPECT_EQ(valid, GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckExpression,
    testing::Values(
        Check{"Path", "/TriggerData/door[@state='open']", 1},
        Check{"Functions", "contains(string(/a), 'x') or starts-with(name(/*), 'T')", 1},
        Check{"Union", "//a | //b", 1}, Check{"Arithmetic", "1 + 2 * 3 div 4 mod 5 > -1", 1},
        Check{"BracketsInStrings", "/a[@b='((((([[[[']", 1}, Check{"Empty", "", 0},
        Check{"UnclosedPredicate", "/a[", 0}, Check{"TrailingOperator", "/a and", 0},
        Check{"UnknownFunction", "document('file:///etc/passwd')", 0},
        Check{"UnboundVariable", "$x = 1", 0}, Check{"WrongArgumentType", "count('a')", 0}),
    CaseName());

TEST(CheckExpression, AZeroCharacterDoesNotCutTheExpressionShort) {
    const std::u16string text(u"/a\0 and", 7);
    const Bstr expression = Bstr::Copy(text);
    LONG valid = 7;
    EXPECT_EQ(ConfigDataCheckExpression(expression.get(), &valid), S_OK);
    EXPECT_EQ(valid, 0);
}

}  // namespace
}  // namespace configdata_test
