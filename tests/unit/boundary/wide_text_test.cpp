// WideText: one wide string crossing a boundary, its narrow view made once.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "boundary/text_conversion.h"
#include "companions/bstr.h"

namespace {

TEST(WideText, NarrowViewIsMadeOnceAndKept) {
    WideText text = WideText::FromWide(OLESTR("caf\u00E9"));
    const char* first = text.narrow();
    const char* second = text.narrow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "caf\xC3\xA9");
    EXPECT_EQ(text.narrowString(), "caf\xC3\xA9");
}

TEST(WideText, NoTextHasNoViews) {
    WideText empty;
    WideText fromNullWide = WideText::FromWide(nullptr);
    WideText fromNullNarrow = WideText::FromNarrow(static_cast<const char*>(nullptr));
    for (WideText* text : {&empty, &fromNullWide, &fromNullNarrow}) {
        EXPECT_EQ(text->wide(), nullptr);
        EXPECT_EQ(text->narrow(), nullptr);
        EXPECT_EQ(text->narrowString(), "");
    }
}

TEST(WideText, EmptyNarrowTextGivesAnEmptyStringNotNull) {
    const WideText text = WideText::FromNarrow("");
    ASSERT_NE(text.wide(), nullptr);
    EXPECT_EQ(SysStringLen(text.wide()), 0u);
}

TEST(WideText, CopyFromWideEndsAtTheFirstZero) {
    const Bstr source = Bstr::Copy(OleString(OLESTR("ab\0cd"), 5));
    WideText text = WideText::FromWide(source.get());
    ASSERT_NE(text.wide(), nullptr);
    EXPECT_NE(text.wide(), source.get());
    EXPECT_EQ(SysStringLen(text.wide()), 2u);
    EXPECT_EQ(text.narrowString(), "ab");
}

TEST(WideText, TakeOverOwnsTheStringWithoutCopying) {
    BSTR returned = SysAllocString(OLESTR("<reply/>"));
    ASSERT_NE(returned, nullptr);
    WideText text = WideText::TakeOver(returned);
    EXPECT_EQ(text.wide(), returned);
    EXPECT_EQ(text.narrowString(), "<reply/>");
    // Freed by the holder: a leak or a double free shows under the address sanitizer.
}

TEST(WideText, MoveLeavesTheSourceEmpty) {
    WideText source = WideText::FromNarrow("id");
    const BSTR wide = source.wide();
    WideText moved = std::move(source);
    EXPECT_EQ(moved.wide(), wide);
    EXPECT_EQ(source.wide(), nullptr);  // NOLINT(bugprone-use-after-move): the point of the test

    WideText assigned = WideText::FromNarrow("other");
    assigned = std::move(moved);
    EXPECT_EQ(assigned.wide(), wide);
    EXPECT_EQ(assigned.narrowString(), "id");
}

TEST(WideText, ReleaseEmptiesTheHolder) {
    WideText text = WideText::FromNarrow("condition");
    ASSERT_NE(text.narrow(), nullptr);
    text.Release();
    EXPECT_EQ(text.wide(), nullptr);
    EXPECT_EQ(text.narrow(), nullptr);
    text.Release();
}

}  // namespace
