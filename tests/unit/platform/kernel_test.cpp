#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "code_page_fixture.h"

namespace {

TEST(LastError, BelongsToTheThreadThatSetIt) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByOther = 1;
    std::thread other([&] {
        seenByOther = GetLastError();
        SetLastError(ERROR_FILE_NOT_FOUND);
    });
    other.join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

bool TryFromAnotherThread(CRITICAL_SECTION& section) {
    bool entered = false;
    std::thread other([&] {
        entered = TryEnterCriticalSection(&section) != FALSE;
        if (entered) {
            LeaveCriticalSection(&section);
        }
    });
    other.join();
    return entered;
}

TEST(CriticalSection, OwnerMayEnterAgainAndOthersWaitUntilTheLastLeave) {
    CRITICAL_SECTION section;
    ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&section, 4000));
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    EXPECT_FALSE(TryFromAnotherThread(section));
    LeaveCriticalSection(&section);
    EXPECT_FALSE(TryFromAnotherThread(section)) << "still held once";
    LeaveCriticalSection(&section);
    EXPECT_TRUE(TryFromAnotherThread(section));
    DeleteCriticalSection(&section);
}

TEST(Version, ReportsNt61) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
}

TEST(Version, RefusesAStructureOfTheWrongSize) {
    for (DWORD size : {DWORD{0}, DWORD{sizeof(OSVERSIONINFOA) - 1}, DWORD{1024}}) {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = size;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(GetVersionExA(&info)) << size;
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(info.dwMajorVersion, 0u);
    }
}

using LocaleInfo = AnsiCodePageTest;

TEST_F(LocaleInfo, AnsiCodePageOfTheThreadLocaleIsDecimalText) {
    EXPECT_EQ(GetThreadLocale(), 0x0409u);
    char value[7] = {};
    EXPECT_EQ(GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, nullptr, 0), 6);
    ASSERT_EQ(GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, value, 7), 6);
    EXPECT_STREQ(value, "65001");
}

TEST_F(LocaleInfo, RefusesWhatItCannotAnswer) {
    char value[8] = "unset";
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, value, 5), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLocaleInfoA(GetThreadLocale(), 0x0002 /* language name */, value, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, nullptr, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
