// Memory running out at each allocation in turn, below RunAction and below the event sink: every
// call still ends with a result code, a failed RunAction leaves its slot null, and nothing leaks
// (the address sanitizer's leak check runs at exit).
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "boundary/exports.h"
#include "bridge/trigger_bridge.h"
#include "companions/bstr.h"
#include "fakes/event_arguments.h"
#include "fakes/fake_action_manager.h"
#include "fakes/module_fixture.h"
#include "fakes/trigger_manager_factory.h"

namespace {

// Allocations on this thread still allowed before one fails; negative: none fails.
thread_local long allocationsLeft = -1;
thread_local bool failureInjected = false;

void* Allocate(std::size_t size) {
    if (allocationsLeft == 0) {
        allocationsLeft = -1;
        failureInjected = true;
        throw std::bad_alloc();
    }
    if (allocationsLeft > 0) {
        --allocationsLeft;
    }
    if (void* block = std::malloc(size != 0 ? size : 1)) {
        return block;
    }
    throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

// Every form of the global allocator is replaced, so that blocks are always freed by the same
// family that made them.
void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

namespace {

using fakes::FakeTriggerManager;
using fakes::TriggerManagerFactory;

constexpr long kMostAllocations = 20000;

class AllocationFailureTest : public fakes::ModuleFixture {
  protected:
    void SetUp() override {
        ModuleFixture::SetUp();
        manager_ = FakeTriggerManager::Create();
        TriggerManagerFactory::Enqueue(manager_);
        ASSERT_EQ(RegisterActions(), S_OK);
    }
    void TearDown() override {
        manager_.reset();
        ModuleFixture::TearDown();
    }

    // Runs `call` once for each allocation it makes, failing that allocation; `check` sees each
    // outcome. Returns how many allocations the call makes when none fails.
    template <class Call, class Check>
    long Sweep(Call call, Check check) {
        for (long failAt = 0; failAt < kMostAllocations; ++failAt) {
            failureInjected = false;
            allocationsLeft = failAt;
            auto outcome = call();
            allocationsLeft = -1;
            check(outcome, failureInjected);
            if (!failureInjected || ::testing::Test::HasFatalFailure()) {
                return failAt;
            }
            TriggerBridge::Instance().actionTable().Clear();
        }
        ADD_FAILURE() << "the call never completed without a failed allocation";
        return kMostAllocations;
    }

    ComPtr<FakeTriggerManager> manager_;
};

struct RunResult {
    HRESULT code;
    BSTR slot;
};

void CheckRunResult(const RunResult& result, bool failed, HRESULT expectedWithoutFailure) {
    Bstr owned(result.slot);
    if (!failed) {
        EXPECT_EQ(result.code, expectedWithoutFailure);
        EXPECT_TRUE(owned);
        return;
    }
    EXPECT_TRUE(SUCCEEDED(result.code) || result.code == E_OUTOFMEMORY) << std::hex << result.code;
    if (FAILED(result.code)) {
        EXPECT_FALSE(owned) << "a failed call left a string in the slot";
    }
}

TEST_F(AllocationFailureTest, RegisterActionRequest) {
    const Bstr request =
        Bstr::Copy(OLESTR("<R type=\"trigger\" name=\"registeraction\" id=\"t1\" condition=\"/d\">")
                       OLESTR("<Action type=\"host\" name=\"log\"><Text>on</Text></Action></R>"));
    const long allocations = Sweep(
        [&] {
            RunResult result{S_OK, nullptr};
            result.code = RunAction(request.get(), &result.slot);
            return result;
        },
        [](const RunResult& result, bool failed) { CheckRunResult(result, failed, S_OK); });
    RecordProperty("allocations", static_cast<int>(allocations));
    EXPECT_GT(allocations, 10);
}

TEST_F(AllocationFailureTest, FireRequest) {
    const Bstr request =
        Bstr::Copy(OLESTR("<R type=\"trigger\" name=\"fire\"><TriggerData v=\"1\"/></R>"));
    const long allocations = Sweep(
        [&] {
            RunResult result{S_OK, nullptr};
            result.code = RunAction(request.get(), &result.slot);
            return result;
        },
        [](const RunResult& result, bool failed) { CheckRunResult(result, failed, S_OK); });
    RecordProperty("allocations", static_cast<int>(allocations));
    EXPECT_GT(allocations, 10);
}

TEST_F(AllocationFailureTest, FiredTrigger) {
    TriggerBridge& bridge = TriggerBridge::Instance();
    int failedRuns = 0;
    for (long failAt = 0; failAt < kMostAllocations; ++failAt) {
        // The entry and the arguments are made before the failure is armed.
        ASSERT_NE(bridge.RegisterTrigger("t1", "", "<Action type=\"host\" name=\"log\"/>"), 0);
        fakes::EventArguments arguments =
            fakes::EventArguments::TriggerFired(OLESTR("t1"), OLESTR("<TriggerData v=\"1\"/>"));
        failureInjected = false;
        allocationsLeft = failAt;
        const HRESULT code =
            bridge.Invoke(DISPID_TRIGGERFIRED, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                          arguments.params(), nullptr, nullptr, nullptr);
        allocationsLeft = -1;
        if (!failureInjected) {
            EXPECT_EQ(code, S_OK);
            EXPECT_FALSE(fakes::ActionManagerFake::Requests().empty());
            break;
        }
        EXPECT_TRUE(code == S_OK || code == E_OUTOFMEMORY) << std::hex << code;
        ++failedRuns;
    }
    RecordProperty("allocations", failedRuns);
    EXPECT_GT(failedRuns, 10);
}

}  // namespace
