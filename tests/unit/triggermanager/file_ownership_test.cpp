// A database file belongs to one manager at a time: each fires from its own copy of the
// triggers, so a second one on the same file is refused rather than left to drift apart.
#include <gtest/gtest.h>

#include <chrono>

#include "companions/com_error.h"
#include "manager_calls.h"
#include "triggermanager/trigger_manager.h"

namespace {

constexpr std::chrono::milliseconds kShortWait{50};

TEST(FileOwnership, ASecondManagerOnAFileInUseIsRefusedWithAReason) {
    TempDir dir;
    const std::string path = dir.File("t.db");
    ComPtr<ITriggerManager> first = MakeTriggerManager({path, false, nullptr, kShortWait});
    try {
        MakeTriggerManager({path, false, nullptr, kShortWait});
        ADD_FAILURE() << "two managers hold one file";
    } catch (const ComError& error) {
        EXPECT_TRUE(FAILED(error.code()));
        EXPECT_NE(error.description().find(u"locked"), std::u16string::npos);
    }
    // The first one goes on undisturbed.
    EXPECT_EQ(AddTrigger(first.get(), "a", "").value, 1);
}

TEST(FileOwnership, TheFileIsFreeOnceItsManagerIsGone) {
    TempDir dir;
    const std::string path = dir.File("t.db");
    ComPtr<ITriggerManager> first = MakeTriggerManager({path, false, nullptr, kShortWait});
    ASSERT_EQ(AddTrigger(first.get(), "a", "").value, 1);
    first.reset();
    ComPtr<ITriggerManager> second = MakeTriggerManager({path, false, nullptr, kShortWait});
    EXPECT_EQ(ReplyIds(Fire(second.get(), "<x/>").text), std::vector<std::string>{"a"});
}

TEST(FileOwnership, AnInMemoryManagerHoldsNoFile) {
    ComPtr<ITriggerManager> first = MakeTriggerManager({"", false, nullptr, kShortWait});
    ComPtr<ITriggerManager> second = MakeTriggerManager({"", false, nullptr, kShortWait});
    EXPECT_EQ(AddTrigger(first.get(), "a", "").value, 1);
    EXPECT_EQ(AddTrigger(second.get(), "a", "").value, 1);
}

}  // namespace
