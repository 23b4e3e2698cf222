// Memory running out at each allocation in turn, below RunAction and below the event sink, once
// for the C++ allocator and once for wide strings (SysAllocString and its kin): every call still
// ends with a result code, a failed RunAction leaves its slot null, and nothing leaks (the fakes
// count their objects; the address sanitizer's leak check runs at exit).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "boundary/exports.h"
#include "bridge/trigger_bridge.h"
#include "companions/bstr.h"
#include "companions/utf.h"
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

// One kind of allocation made to fail: the one after `successes` more succeed, and only that one.
struct FailingAllocation {
    const char* name;
    void (*arm)(long successes);
    // Disarms; whether the armed failure happened.
    bool (*disarm)();
};

void PrintTo(const FailingAllocation& allocation, std::ostream* out) {
    *out << allocation.name;
}

const FailingAllocation kOperatorNew{"operator_new",
                                     [](long successes) {
                                         failureInjected = false;
                                         allocationsLeft = successes;
                                     },
                                     [] {
                                         allocationsLeft = -1;
                                         return failureInjected;
                                     }};

#ifndef _WIN32
// The stand-in's own hook: the system's string allocator cannot be made to fail.
const FailingAllocation kWideString{
    "wide_string",
    [](long successes) { PlatformFailStringAllocation(static_cast<LONG>(successes)); },
    [] { return PlatformFailStringAllocation(-1) < 0; }};
const FailingAllocation kAllocators[] = {kOperatorNew, kWideString};
#else
const FailingAllocation kAllocators[] = {kOperatorNew};
#endif

class AllocationFailureTest : public fakes::ModuleFixture,
                              public ::testing::WithParamInterface<FailingAllocation> {
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

    // Runs one request once for each allocation it makes, failing that allocation. Whichever
    // fails, the call ends with a result (a document, or empty text when not even that could be
    // had), or with E_OUTOFMEMORY and a null slot. The first allocation is the copy of the
    // request and the last the result handed back: failing either fails the call, never with
    // half a result.
    void SweepRunAction(OleStringView text) {
        const Bstr request = Bstr::Copy(text);
        std::vector<HRESULT> failedCodes;
        for (long failAt = 0; failAt < kMostAllocations; ++failAt) {
            BSTR slot = nullptr;
            GetParam().arm(failAt);
            const HRESULT code = RunAction(request.get(), &slot);
            const bool failed = GetParam().disarm();
            const Bstr result(slot);
            if (!failed) {
                EXPECT_EQ(code, S_OK);
                EXPECT_TRUE(result);
                RecordProperty("allocations", static_cast<int>(failAt));
                ASSERT_GT(failAt, 10);
                EXPECT_EQ(failedCodes.front(), E_OUTOFMEMORY);
                EXPECT_EQ(failedCodes.back(), E_OUTOFMEMORY);
                return;
            }
            failedCodes.push_back(code);
            if (FAILED(code)) {
                EXPECT_EQ(code, E_OUTOFMEMORY);
                EXPECT_FALSE(result) << "a failed call left a string in the slot";
            } else {
                // Empty when even the result document could not be had.
                EXPECT_THAT(ToUtf8(result.get()),
                            testing::AnyOf(testing::IsEmpty(),
                                           testing::StartsWith("<ActionResult><Result")));
            }
            TriggerBridge::Instance().actionTable().Clear();
        }
        ADD_FAILURE() << "the call never completed without a failed allocation";
    }

    ComPtr<FakeTriggerManager> manager_;
};

TEST_P(AllocationFailureTest, RegisterActionRequest) {
    SweepRunAction(OLESTR("<R type=\"trigger\" name=\"registeraction\" id=\"t1\" condition=\"/d\">")
                       OLESTR("<Action type=\"host\" name=\"log\"><Text>on</Text></Action></R>"));
}

TEST_P(AllocationFailureTest, FireRequest) {
    SweepRunAction(OLESTR("<R type=\"trigger\" name=\"fire\"><TriggerData v=\"1\"/></R>"));
}

TEST_P(AllocationFailureTest, FiredTrigger) {
    TriggerBridge& bridge = TriggerBridge::Instance();
    int failedRuns = 0;
    for (long failAt = 0; failAt < kMostAllocations; ++failAt) {
        // The entry and the arguments are made before the failure is armed.
        ASSERT_NE(bridge.RegisterTrigger("t1", "", "<Action type=\"host\" name=\"log\"/>"), 0);
        fakes::EventArguments arguments =
            fakes::EventArguments::TriggerFired(OLESTR("t1"), OLESTR("<TriggerData v=\"1\"/>"));
        GetParam().arm(failAt);
        const HRESULT code =
            bridge.Invoke(DISPID_TRIGGERFIRED, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                          arguments.params(), nullptr, nullptr, nullptr);
        if (!GetParam().disarm()) {
            EXPECT_EQ(code, S_OK);
            EXPECT_FALSE(fakes::ActionManagerFake::Requests().empty());
            break;
        }
        EXPECT_TRUE(code == S_OK || code == E_OUTOFMEMORY) << std::hex << code;
        ++failedRuns;
    }
    RecordProperty("allocations", failedRuns);
    EXPECT_GE(failedRuns, 4);
}

INSTANTIATE_TEST_SUITE_P(EachAllocator, AllocationFailureTest, testing::ValuesIn(kAllocators),
                         [](const auto& allocation) { return std::string(allocation.param.name); });

}  // namespace
