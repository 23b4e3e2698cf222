#include <gtest/gtest.h>

#include <string>

#include "companions/bstr.h"
#include "companions/variant.h"
#include "counting_object.h"

namespace {

using namespace std::string_literals;

TEST(BstrHolder, CopyKeepsEveryCharacterIncludingZeros) {
    const std::u16string text = u"a\0b"s;
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
    Bstr first = Bstr::Copy(u"first");
    *first.put() = SysAllocString(u"second");  // the leak checker catches a lost "first"
    EXPECT_EQ(first.view(), u"second");

    Bstr moved = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(moved.view(), u"second");

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
