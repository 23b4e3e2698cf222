// What the host asks the managers beside the firings: the listing, the trial of a condition and
// the history of firings, each checked against what Fire itself answers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "library_scope.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

std::string Data(const std::string& inner) {
    return "<?xml version=\"1.0\"?> <TriggerData>" + inner + "</TriggerData>";
}

struct Kept {
    LONG outcome;
    LONG depth;
    std::vector<std::string> matched;
    std::vector<std::string> exhausted;
    std::string data;
    ULONG dataBytes;
};

std::vector<Kept> History(LONG count) {
    std::vector<Kept> kept;
    EXPECT_EQ(TriggerManagerFiringHistory(
                  count,
                  [](const TriggerManagerFiring* firing, void* context) {
                      static_cast<std::vector<Kept>*>(context)->push_back(
                          {firing->outcome,
                           firing->depth,
                           {firing->matched, firing->matched + firing->matchedKept},
                           {firing->exhausted, firing->exhausted + firing->exhaustedKept},
                           firing->data,
                           firing->dataBytes});
                  },
                  &kept),
              S_OK);
    return kept;
}

std::vector<std::pair<std::string, std::string>> Listed(const char* pattern) {
    std::vector<std::pair<std::string, std::string>> listed;
    EXPECT_EQ(TriggerManagerListTriggers(
                  pattern,
                  [](const char* id, const char* condition, void* context) {
                      static_cast<decltype(listed)*>(context)->emplace_back(id, condition);
                  },
                  &listed),
              S_OK);
    return listed;
}

LONG Tried(const std::string& condition, const std::string& data) {
    LONG outcome = -1;
    EXPECT_EQ(TriggerManagerTestCondition(condition.c_str(), data.c_str(), &outcome), S_OK);
    return outcome;
}

// One condition, one firing: the trial, the registration, the reply and the history agree.
struct Trial {
    const char* name;
    std::string condition;
    std::string data;
    LONG outcome;
};

const Trial kTrials[] = {
    {"Selects", "/TriggerData/door[@state='open']", Data("<door state=\"open\"/>"),
     TRIGGERMANAGER_TEST_MATCHED},
    {"SelectsNothing", "/TriggerData/door[@state='open']", Data("<door state=\"shut\"/>"),
     TRIGGERMANAGER_TEST_NOT_MATCHED},
    {"BothQuotesAndMarkup", "/TriggerData/m[. = concat('a\"b', \"'<&\")]",
     Data("<m>a\"b'&lt;&amp;</m>"), TRIGGERMANAGER_TEST_MATCHED},
    {"EmptyMatchesEverything", "", Data("<x/>"), TRIGGERMANAGER_TEST_MATCHED},
    // The data is read as the platform DOM reads it; the history keeps it as it was fired.
    {"TextWithBlanksKeptWhole", "/TriggerData/m[. = ' x ']", Data("<m> x </m>"),
     TRIGGERMANAGER_TEST_MATCHED},
    {"BlankTextDropped", "/TriggerData/m/text()", Data("\n  <m>  </m>\n"),
     TRIGGERMANAGER_TEST_NOT_MATCHED},
    {"BlankTextPreserved", "/TriggerData/m/text()", Data("<m xml:space=\"preserve\">  </m>"),
     TRIGGERMANAGER_TEST_MATCHED},
    {"FalseNumber", "count(//x) - 1", Data("<x/>"), TRIGGERMANAGER_TEST_NOT_MATCHED},
    {"DoesNotCompile", "/TriggerData/[", Data("<x/>"), TRIGGERMANAGER_TEST_INVALID_CONDITION},
    {"DataNotXml", "/TriggerData", "<?xml version=\"1.0\"?> <TriggerData>",
     TRIGGERMANAGER_TEST_DATA_NOT_XML},
    {"EmptyData", "", "", TRIGGERMANAGER_TEST_DATA_NOT_XML},
    {"RunsOutOfWork", "count(//*//*//*) > 0",
     Data(Repeat(Repeat("<a>", 250) + Repeat("</a>", 250), 40)), TRIGGERMANAGER_TEST_OUT_OF_WORK},
};

class ConditionTrial : public testing::TestWithParam<Trial> {
  protected:
    void SetUp() override { ASSERT_EQ(TriggerManagerSetHistoryLength(8), S_OK); }
    void TearDown() override { TriggerManagerSetHistoryLength(0); }
};

TEST_P(ConditionTrial, AgreesWithRegistrationFireAndHistory) {
    const Trial& trial = GetParam();
    const LONG exhaustedBefore = TriggerManagerExhaustedConditions();
    EXPECT_EQ(Tried(trial.condition, trial.data), trial.outcome);
    // The trial is a question: nothing is counted, nothing is kept.
    EXPECT_EQ(TriggerManagerExhaustedConditions(), exhaustedBefore);
    EXPECT_THAT(History(8), IsEmpty());

    ComPtr<ITriggerManager> manager = NewManager();
    const Flag added = AddTrigger(manager.get(), "t", trial.condition);
    ASSERT_EQ(added.value, trial.outcome == TRIGGERMANAGER_TEST_INVALID_CONDITION ? 0 : 1);
    const FireReply reply = Fire(manager.get(), trial.data);
    const std::vector<Kept> kept = History(8);
    ASSERT_EQ(kept.size(), 1u);
    const bool matched = trial.outcome == TRIGGERMANAGER_TEST_MATCHED;
    const bool exhausted = trial.outcome == TRIGGERMANAGER_TEST_OUT_OF_WORK;
    EXPECT_EQ(ReplyIds(reply.text),
              matched ? std::vector<std::string>{"t"} : std::vector<std::string>{});
    EXPECT_EQ(reply.text.find("<Exhausted id=\"t\"/>") != std::string::npos, exhausted);
    EXPECT_EQ(kept[0].matched, ReplyIds(reply.text));
    EXPECT_EQ(kept[0].exhausted,
              exhausted ? std::vector<std::string>{"t"} : std::vector<std::string>{});
    EXPECT_EQ(kept[0].outcome, trial.outcome == TRIGGERMANAGER_TEST_DATA_NOT_XML
                                   ? TRIGGERMANAGER_FIRING_NOT_XML
                                   : TRIGGERMANAGER_FIRING_EVALUATED);
    EXPECT_EQ(reply.text.empty(), trial.outcome == TRIGGERMANAGER_TEST_DATA_NOT_XML);
    EXPECT_EQ(kept[0].dataBytes, trial.data.size());
    EXPECT_EQ(kept[0].data, trial.data.substr(0, 512));
}

INSTANTIATE_TEST_SUITE_P(Table, ConditionTrial, testing::ValuesIn(kTrials),
                         [](const testing::TestParamInfo<Trial>& row) {
                             return std::string(row.param.name);
                         });

struct Listing {
    const char* pattern;
    std::vector<std::string> ids;
};

TEST(HostQuestions, ListingTakesTheIdsRemoveWouldTake) {
    // In the bytes' order of their UTF-8: 'o' (0x6F) before the lead byte of 'é' (0xC3).
    const std::vector<std::string> all = {"Door.front", "door.back", "door.side", "d\xC3\xA9",
                                          "window"};
    const Listing listings[] = {
        {nullptr, all},
        {"", all},
        {"door.*", {"Door.front", "door.back", "door.side"}},
        {"d?", {"d\xC3\xA9"}},
        {"DOOR.BACK", {}},
        {"door.back", {"door.back"}},
        {"*", all},
        {"none*", {}},
    };
    ComPtr<ITriggerManager> manager = NewManager();
    for (const std::string& id : all) {
        ASSERT_EQ(AddTrigger(manager.get(), id, id == "window" ? "" : "/TriggerData/x").value, 1);
    }
    EXPECT_EQ(Listed(nullptr).front(), std::make_pair(all[0], std::string("/TriggerData/x")));
    EXPECT_EQ(Listed(nullptr).back(), std::make_pair(all[4], std::string()));
    for (const Listing& listing : listings) {
        std::vector<std::string> ids;
        for (const auto& [id, condition] : Listed(listing.pattern)) {
            ids.push_back(id);
        }
        EXPECT_EQ(ids, listing.ids) << (listing.pattern ? listing.pattern : "null");
        if (listing.pattern == nullptr || *listing.pattern == '\0') {
            continue;
        }
        // RemoveTrigger takes exactly what was listed.
        EXPECT_EQ(RemoveTrigger(manager.get(), listing.pattern).value,
                  static_cast<LONG>(ids.size()));
        EXPECT_EQ(Listed(nullptr).size(), all.size() - ids.size());
        for (const std::string& id : ids) {
            AddTrigger(manager.get(), id, id == "window" ? "" : "/TriggerData/x");
        }
    }
    manager.reset();
    EXPECT_THAT(Listed(nullptr), IsEmpty());
}

TEST(HostQuestions, HistoryKeepsTheLastFiringsAndTheirRefusals) {
    ASSERT_EQ(TriggerManagerSetHistoryLength(3), S_OK);
    ComPtr<ITriggerManager> manager = NewManager();
    AddTrigger(manager.get(), "a", "/TriggerData/x");
    AddTrigger(manager.get(), "b", "");
    Fire(manager.get(), Data("<y/>"));
    Fire(manager.get(), Data("<x/>"));
    manager->Suspend();
    Fire(manager.get(), Data("<x/>"));
    manager->Resume();
    Fire(manager.get(), "not xml");
    const std::vector<Kept> kept = History(10);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_THAT(kept[0].matched, ElementsAre("a", "b"));
    EXPECT_EQ(kept[1].outcome, TRIGGERMANAGER_FIRING_SUSPENDED);
    EXPECT_THAT(kept[1].matched, IsEmpty());
    EXPECT_EQ(kept[2].outcome, TRIGGERMANAGER_FIRING_NOT_XML);
    EXPECT_EQ(History(1).at(0).data, "not xml");
    // Ids are kept whole while they fit; the counts stay exact.
    const std::string longId(3000, 'i');
    AddTrigger(manager.get(), longId + "1", "");
    AddTrigger(manager.get(), longId + "2", "");
    Fire(manager.get(), Data("<x/>"));
    EXPECT_THAT(History(1).at(0).matched, ElementsAre("a", "b", longId + "1"));
    EXPECT_EQ(TriggerManagerSetHistoryLength(0), S_OK);
    EXPECT_THAT(History(10), IsEmpty());
    Fire(manager.get(), Data("<x/>"));
    EXPECT_THAT(History(10), IsEmpty());
    EXPECT_EQ(TriggerManagerSetHistoryLength(-1), E_INVALIDARG);
    EXPECT_EQ(TriggerManagerSetHistoryLength(10001), E_INVALIDARG);
    EXPECT_EQ(TriggerManagerFiringHistory(1, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(TriggerManagerListTriggers("", nullptr, nullptr), E_POINTER);
    EXPECT_EQ(TriggerManagerTestCondition("", "", nullptr), E_POINTER);
}

}  // namespace
