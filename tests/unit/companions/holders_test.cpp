#include <gtest/gtest.h>

#include <string>

#include "companions/bstr.h"
#include "companions/variant.h"
#include "counting_object.h"

namespace {

TEST(BstrHolder, CopyKeepsEveryCharacterIncludingZeros) {
    const OleString text(OLESTR("a\0b"), 3);
    const Bstr copy = Bstr::Copy(text);
    EXPECT_EQ(copy.length(), 3u);
    EXPECT_EQ(copy.view(), text);
}

TEST(BstrHolder, EmptyHolderIsAnEmptyView) {
    const Bstr empty;
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty.length(), 0u);
    EXPECT_TRUE(empty.view().empty());
}

TEST(BstrHolder, PutFreesTheOldStringAndMovesTransferOwnership) {
    Bstr first = Bstr::Copy(OLESTR("first"));
    *first.put() = SysAllocString(OLESTR("second"));  // the leak checker catches a lost "first"
    EXPECT_EQ(first.view(), OLESTR("second"));

    Bstr moved = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(moved.view(), OLESTR("second"));

    BSTR raw = moved.detach();
    EXPECT_FALSE(moved);
    SysFreeString(raw);
}

TEST(VariantHolder, ReleasesWhatItHoldsWhenReplacedOrDestroyed) {
    CountingObject object;
    {
        Variant value;
        object.AddRef();
        value.get()->vt = VT_UNKNOWN;
        value.get()->punkVal = &object;
        EXPECT_EQ(object.references, 2u);
        VARIANT* slot = value.put();
        EXPECT_EQ(object.references, 1u);
        EXPECT_EQ(slot->vt, VT_EMPTY);
        object.AddRef();
        slot->vt = VT_UNKNOWN;
        slot->punkVal = &object;
        const Variant moved(std::move(value));
        EXPECT_EQ(value.value().vt, VT_EMPTY);
        EXPECT_EQ(object.references, 2u);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(VariantHolder, FromLongIsAnI4) {
    const Variant value = Variant::FromLong(-12);
    EXPECT_EQ(value.value().vt, VT_I4);
    EXPECT_EQ(value.value().lVal, -12);
}

}  // namespace
