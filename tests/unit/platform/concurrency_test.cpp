#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 20000;

TEST(CriticalSectionConcurrency, KeepsEveryIncrementOfFourThreads) {
    CRITICAL_SECTION section;
    ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&section, 0));
    long counter = 0;  // deliberately not atomic: the section is what protects it
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                EnterCriticalSection(&section);
                EnterCriticalSection(&section);  // recursion must not deadlock or unlock early
                ++counter;
                LeaveCriticalSection(&section);
                LeaveCriticalSection(&section);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, long{kThreads} * kRounds);
    DeleteCriticalSection(&section);
}

std::u16string DescriptionOf(IErrorInfo* info) {
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::u16string value(text, SysStringLen(text));
    SysFreeString(text);
    return value;
}

TEST(ErrorInfoConcurrency, ThreadsNeverSeeEachOthersErrors) {
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &mismatches] {
            const std::u16string mine(1, static_cast<char16_t>(u'A' + t));
            for (int i = 0; i < 500; ++i) {
                ICreateErrorInfo* create = nullptr;
                CreateErrorInfo(&create);
                create->SetDescription(const_cast<LPOLESTR>(mine.c_str()));
                IErrorInfo* info = nullptr;
                create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
                create->Release();
                SetErrorInfo(0, info);
                info->Release();
                std::this_thread::yield();
                IErrorInfo* taken = nullptr;
                if (GetErrorInfo(0, &taken) != S_OK || DescriptionOf(taken) != mine) {
                    ++mismatches[static_cast<std::size_t>(t)];
                }
                if (taken != nullptr) {
                    taken->Release();
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

TEST(ErrorInfoConcurrency, LastReferenceMayGoOnAnyThread) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    create->Release();
    for (int t = 0; t < kThreads; ++t) {
        info->AddRef();
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([info] {
            SetErrorInfo(0, info);  // held by the thread, released when it ends
            info->Release();
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(info->Release(), 0u);
}

}  // namespace
