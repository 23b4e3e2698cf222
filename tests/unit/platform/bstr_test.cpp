#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <thread>

#include "platform/win32.h"

namespace {

using namespace std::string_literals;

// Other binaries read the length from the four bytes before the text, so the layout itself is
// part of the contract.
std::uint32_t PrefixOf(BSTR text) {
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(text) - sizeof prefix, sizeof prefix);
    return prefix;
}

struct BstrDeleter {
    void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using Owned = std::unique_ptr<OLECHAR, BstrDeleter>;

TEST(Bstr, NullInNullOutAndNullIsEmpty) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(Bstr, AllocStringCopiesUpToTheFirstZero) {
    const std::u16string source = u"ab\0cd"s;
    const Owned text(SysAllocString(source.c_str()));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text.get()), 2u);
    EXPECT_EQ(std::u16string(text.get()), u"ab");
}

TEST(Bstr, EmptyTextIsAStringNotNull) {
    const Owned text(SysAllocString(u""));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text.get()), 0u);
    EXPECT_EQ(text.get()[0], 0);
}

TEST(Bstr, LengthCountsAnEmbeddedZeroFromThePrefix) {
    const std::u16string source = u"ab\0cd"s;
    const Owned text(SysAllocStringLen(source.data(), 5));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text.get()), 5u);
    EXPECT_EQ(SysStringByteLen(text.get()), 10u);
    EXPECT_EQ(PrefixOf(text.get()), 10u);
    EXPECT_EQ(std::u16string(text.get(), 5), source);
    EXPECT_EQ(text.get()[5], 0) << "always terminated";
}

TEST(Bstr, AllocStringLenWithoutSourceGivesATerminatedStringToFill) {
    const Owned text(SysAllocStringLen(nullptr, 3));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text.get()), 3u);
    EXPECT_EQ(text.get()[3], 0);
}

TEST(Bstr, ByteLengthKeepsAnOddCount) {
    const Owned text(SysAllocStringByteLen("abc", 3));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringByteLen(text.get()), 3u);
    EXPECT_EQ(SysStringLen(text.get()), 1u);
    EXPECT_EQ(std::memcmp(text.get(), "abc\0", 4), 0);
}

TEST(Bstr, LengthsThePrefixCannotHoldGiveNull) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFFu), nullptr);
}

// The test hook fails exactly one allocation, of any of the three kinds: the one after the given
// number of successes, on the thread that armed it and no other.
TEST(Bstr, AnArmedFailureHitsOneAllocationOfItsThread) {
    using Allocation = BSTR (*)();
    const std::array<Allocation, 3> kinds = {[] { return SysAllocString(u"a"); },
                                             [] { return SysAllocStringLen(u"ab", 2); },
                                             [] { return SysAllocStringByteLen("ab", 2); }};
    for (const Allocation allocate : kinds) {
        for (LONG successes = 0; successes < 3; ++successes) {
            EXPECT_LT(PlatformFailStringAllocation(successes), 0) << "nothing was armed";
            std::thread([allocate] { EXPECT_NE(Owned(allocate()), nullptr); }).join();
            for (LONG made = 0; made < 5; ++made) {
                EXPECT_EQ(Owned(allocate()) == nullptr, made == successes) << successes;
            }
            EXPECT_LT(PlatformFailStringAllocation(-1), 0) << "the failure has happened";
        }
    }
    PlatformFailStringAllocation(2);
    EXPECT_NE(Owned(SysAllocString(u"a")), nullptr);
    EXPECT_EQ(PlatformFailStringAllocation(-1), 1) << "disarming tells what was left";
    EXPECT_NE(Owned(SysAllocString(u"a")), nullptr);
}

}  // namespace
