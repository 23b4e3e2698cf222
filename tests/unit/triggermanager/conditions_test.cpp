// Conditions against fired data, and what Fire answers.
#include <gtest/gtest.h>

#include "companions/bstr.h"
#include "library_scope.h"

namespace {

const std::string kData =
    "<?xml version=\"1.0\"?> <TriggerData><door id=\"front\" state=\"open\"/>"
    "<door id=\"back\" state=\"closed\"/><temperature>21</temperature></TriggerData>";

struct ConditionCase {
    const char* condition;
    bool matches;
};

class Conditions : public testing::TestWithParam<ConditionCase> {};

TEST_P(Conditions, MatchWhenTheySelectOrAreTrue) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "t", GetParam().condition).value, 1);
    const FireReply reply = Fire(manager.get(), kData);
    EXPECT_EQ(reply.code, S_OK);
    EXPECT_EQ(ReplyIds(reply.text).size(), GetParam().matches ? 1u : 0u) << reply.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conditions,
    testing::Values(
        // empty: every firing
        ConditionCase{"", true},
        // node sets: some node or none
        ConditionCase{"/TriggerData/door", true},
        ConditionCase{"/TriggerData/door[@state='open']", true},
        ConditionCase{"/TriggerData/door[@id='side']", false},
        ConditionCase{"/TriggerData/window", false}, ConditionCase{"//@state", true},
        ConditionCase{"/door", false},  // the data's root is TriggerData itself
        // booleans
        ConditionCase{"count(/TriggerData/door) = 2", true},
        ConditionCase{"/TriggerData/temperature > 25", false},
        ConditionCase{"/TriggerData/temperature > 20 and //door[@state='open']", true},
        ConditionCase{"false()", false}, ConditionCase{"true()", true},
        // numbers: nonzero; strings: non-empty
        ConditionCase{"count(/TriggerData/window)", false},
        ConditionCase{"count(/TriggerData/door)", true},
        ConditionCase{"string(/TriggerData/door[1]/@state)", true},
        ConditionCase{"string(/TriggerData/window/@state)", false}));

class BadConditions : public testing::TestWithParam<const char*> {};

TEST_P(BadConditions, AreRefusedWithoutFailing) {
    ComPtr<ITriggerManager> manager = NewManager();
    const Flag added = AddTrigger(manager.get(), "t", GetParam());
    EXPECT_EQ(added.code, S_OK);
    EXPECT_EQ(added.value, 0);
    EXPECT_TRUE(ReplyIds(Fire(manager.get(), kData).text).empty());
}

INSTANTIATE_TEST_SUITE_P(Table, BadConditions,
                         testing::Values("/TriggerData/[", "))", "count(", "@@", "/a[1",
                                         "unknown-function()", "1 +", "$unbound"));

TEST(Conditions, ARefusedConditionKeepsTheOldOne) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "t", "/TriggerData/door").value, 1);
    EXPECT_EQ(AddTrigger(manager.get(), "t", "/TriggerData/[").value, 0);
    EXPECT_EQ(ReplyIds(Fire(manager.get(), kData).text).size(), 1u);
}

TEST(Conditions, AddingAnIdAgainReplacesItsCondition) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "t", "/TriggerData/door").value, 1);
    ASSERT_EQ(AddTrigger(manager.get(), "t", "/TriggerData/window").value, 1);
    EXPECT_EQ(Fire(manager.get(), kData).text, "<FireResult matched=\"0\"/>");
    ASSERT_EQ(AddTrigger(manager.get(), "t", "").value, 1);
    EXPECT_EQ(ReplyIds(Fire(manager.get(), kData).text), std::vector<std::string>{"t"});
}

TEST(Conditions, AConditionWithAnUnpairedSurrogateIsRefused) {
    ComPtr<ITriggerManager> manager = NewManager();
    const OLECHAR text[] = {u'/', u'a', 0xDC00};
    Bstr id = Bstr::Copy(u"t");
    Bstr condition(SysAllocStringLen(text, 3));
    LONG added = -1;
    EXPECT_EQ(manager->AddTrigger(id.get(), condition.get(), &added), S_OK);
    EXPECT_EQ(added, 0);
}

// --- replies -----------------------------------------------------------------------------------

TEST(Replies, ListMatchedIdsInTheByteOrderOfTheirUtf8) {
    ComPtr<ITriggerManager> manager = NewManager();
    for (const char* id : {"b", "\xC3\xA4", "a", "B", "a.b", "a-b"}) {  // "\xC3\xA4" is a-umlaut
        ASSERT_EQ(AddTrigger(manager.get(), id, "").value, 1) << id;
    }
    ASSERT_EQ(AddTrigger(manager.get(), "never", "/TriggerData/window").value, 1);
    EXPECT_EQ(Fire(manager.get(), kData).text,
              "<FireResult matched=\"6\"><Trigger id=\"B\"/><Trigger id=\"a\"/>"
              "<Trigger id=\"a-b\"/><Trigger id=\"a.b\"/><Trigger id=\"b\"/>"
              "<Trigger id=\"\xC3\xA4\"/></FireResult>");
}

TEST(Replies, EscapeIdsThatXmlWouldMisread) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "say \"<hi>\" & go", "").value, 1);
    EXPECT_EQ(Fire(manager.get(), kData).text,
              "<FireResult matched=\"1\"><Trigger id=\"say &quot;&lt;hi&gt;&quot; &amp; go\"/>"
              "</FireResult>");
}

class UnparsableData : public testing::TestWithParam<const char*> {};

TEST_P(UnparsableData, GetsAnEmptyReplyAndFiresNothing) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "always", "").value, 1);
    const FireReply reply = Fire(manager.get(), GetParam());
    EXPECT_EQ(reply.code, S_OK);
    EXPECT_FALSE(reply.isNull);
    EXPECT_EQ(reply.text, "");
}

INSTANTIATE_TEST_SUITE_P(Table, UnparsableData,
                         testing::Values("", "not xml", "<a>", "<a></b>", "<a/><b/>",
                                         "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>"));

TEST(Replies, NullDataIsUnparsableToo) {
    ComPtr<ITriggerManager> manager = NewManager();
    Bstr reply;
    EXPECT_EQ(manager->Fire(nullptr, reply.put()), S_OK);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply.length(), 0u);
}

TEST(SuspendAndResume, NothingMatchesWhileSuspended) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "always", "").value, 1);
    EXPECT_EQ(manager->Suspend(), S_OK);
    EXPECT_EQ(manager->Suspend(), S_FALSE);
    EXPECT_EQ(Fire(manager.get(), kData).text, "<FireResult suspended=\"true\" matched=\"0\"/>");
    // Triggers still change while suspended.
    ASSERT_EQ(AddTrigger(manager.get(), "also", "").value, 1);
    EXPECT_EQ(manager->Resume(), S_OK);
    EXPECT_EQ(manager->Resume(), S_FALSE);
    EXPECT_EQ(ReplyIds(Fire(manager.get(), kData).text),
              (std::vector<std::string>{"also", "always"}));
}

TEST(DeleteDatabase, ForgetsEveryTrigger) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "a", "").value, 1);
    ASSERT_EQ(AddTrigger(manager.get(), "b", "/TriggerData").value, 1);
    const Flag deleted = DeleteDatabase(manager.get());
    EXPECT_EQ(deleted.code, S_OK);
    EXPECT_EQ(deleted.value, 1);
    EXPECT_EQ(Fire(manager.get(), kData).text, "<FireResult matched=\"0\"/>");
    EXPECT_EQ(DeleteDatabase(manager.get()).value, 1);  // an empty database deletes fine
}

}  // namespace
