// RemoveTrigger: an exact id, case and all, or a pattern.
#include <gtest/gtest.h>

#include "library_scope.h"

namespace {

// In id order: by the bytes of the UTF-8 text, so "tor" before "t\xC3\xBCr" (t-u-umlaut-r).
const std::vector<std::string> kIds = {"ROOM.c",  "hall",      "room.a",          "room.b",
                                       "room.bb", "tor.vorne", "t\xC3\xBCr.vorne"};

struct RemovalCase {
    const char* name;
    const char* idOrPattern;
    std::vector<std::string> left;
};

class Removal : public testing::TestWithParam<RemovalCase> {};

TEST_P(Removal, TakesExactlyTheMatchingTriggers) {
    ComPtr<ITriggerManager> manager = NewManager();
    for (const std::string& id : kIds) {
        ASSERT_EQ(AddTrigger(manager.get(), id, "").value, 1) << id;
    }
    const Flag removed = RemoveTrigger(manager.get(), GetParam().idOrPattern);
    EXPECT_EQ(removed.code, S_OK);
    EXPECT_EQ(static_cast<std::size_t>(removed.value), kIds.size() - GetParam().left.size());
    EXPECT_EQ(ReplyIds(Fire(manager.get(), "<ping/>").text), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Removal,
    testing::Values(
        // exact ids compare case-sensitively
        RemovalCase{"Exact",
                    "room.a",
                    {"ROOM.c", "hall", "room.b", "room.bb", "tor.vorne", "t\xC3\xBCr.vorne"}},
        RemovalCase{"ExactOtherCase", "ROOM.A", kIds}, RemovalCase{"ExactPrefixOnly", "room", kIds},
        RemovalCase{"Empty", "", kIds},
        // patterns: anchored, '*' any run, '?' one character, ASCII case ignored
        RemovalCase{"StarSuffix", "room.*", {"hall", "tor.vorne", "t\xC3\xBCr.vorne"}},
        RemovalCase{"OneCharacter", "room.?", {"hall", "room.bb", "tor.vorne", "t\xC3\xBCr.vorne"}},
        RemovalCase{"StarPrefix", "*.vorne", {"ROOM.c", "hall", "room.a", "room.b", "room.bb"}},
        RemovalCase{
            "MultibyteCharacter", "t?r.*", {"ROOM.c", "hall", "room.a", "room.b", "room.bb"}},
        RemovalCase{"OtherCase", "T?R.VORNE", {"ROOM.c", "hall", "room.a", "room.b", "room.bb"}},
        RemovalCase{"Everything", "*", {}},
        RemovalCase{"Inner",
                    "h*l",
                    {"ROOM.c", "room.a", "room.b", "room.bb", "tor.vorne", "t\xC3\xBCr.vorne"}},
        RemovalCase{"NoSingleCharacterId", "?", kIds}, RemovalCase{"OneTooMany", "hall?", kIds}),
    [](const testing::TestParamInfo<RemovalCase>& named) { return std::string(named.param.name); });

TEST(Removal, NullTextRemovesNothing) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "a", "").value, 1);
    LONG removed = -1;
    EXPECT_EQ(manager->RemoveTrigger(nullptr, &removed), S_OK);
    EXPECT_EQ(removed, 0);
}

TEST(Removal, AnIdHoldingAStarIsRemovedAsAPatternThatMatchesItself) {
    ComPtr<ITriggerManager> manager = NewManager();
    ASSERT_EQ(AddTrigger(manager.get(), "a*", "").value, 1);
    ASSERT_EQ(AddTrigger(manager.get(), "b", "").value, 1);
    EXPECT_EQ(RemoveTrigger(manager.get(), "a*").value, 1);
    EXPECT_EQ(ReplyIds(Fire(manager.get(), "<x/>").text), std::vector<std::string>{"b"});
}

}  // namespace
