// The library over the platform DOM on threads that never set up COM, or set it up their own
// way: each works with documents, and is left in the apartment it had before.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "configdata_libraries.h"

namespace windows_test {
namespace {

struct Apartment {
    const char* name;
    bool initialise;
    DWORD model;
    HRESULT probe;  // what CoInitializeEx(multithreaded) answers once the documents are gone
};

// One document loaded, combined with a second and read back; whether all of it worked.
bool UseDocuments(ConfigDocumentFactory factory) {
    ComPtr<IConfigDocument> action;
    ComPtr<IConfigDocument> data;
    if (factory(action.put()) != S_OK || factory(data.put()) != S_OK) {
        return false;
    }
    LONG loaded = 0;
    LONG combined = 0;
    if (action->LoadXml(ToBstr("<Action/>").get(), &loaded) != S_OK || loaded == 0 ||
        data->LoadXml(ToBstr("<TriggerData/>").get(), &loaded) != S_OK || loaded == 0 ||
        action->Combine(data.get(), &combined) != S_OK || combined == 0) {
        return false;
    }
    ComPtr<IUnknown> dom;
    return action->GetDocument(dom.put()) == S_OK && dom.As<IXMLDOMDocument>();
}

class PlatformApartment : public testing::TestWithParam<Apartment> {};

TEST_P(PlatformApartment, ThreadWorksAndIsLeftAsItWas) {
    const ConfigDocumentFactory factory = FactoryOf(kPlatformLibrary);
    ASSERT_NE(factory, nullptr);
    const Apartment& apartment = GetParam();
    bool worked = false;
    HRESULT probe = E_UNEXPECTED;
    std::thread([&] {
        const bool entered =
            apartment.initialise && SUCCEEDED(CoInitializeEx(nullptr, apartment.model));
        worked = UseDocuments(factory) && UseDocuments(factory);
        probe = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(probe)) {
            CoUninitialize();
        }
        if (entered) {
            CoUninitialize();
        }
    }).join();
    EXPECT_TRUE(worked);
    EXPECT_EQ(probe, apartment.probe);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlatformApartment,
    testing::Values(Apartment{"WithoutCom", false, 0, S_OK},
                    Apartment{"SingleThreaded", true, COINIT_APARTMENTTHREADED, RPC_E_CHANGED_MODE},
                    Apartment{"Multithreaded", true, COINIT_MULTITHREADED, S_FALSE}),
    CaseName());

// Threads that never set up COM use documents at once.
TEST(PlatformApartment, ThreadsWithoutComAtOnce) {
    const ConfigDocumentFactory factory = FactoryOf(kPlatformLibrary);
    ASSERT_NE(factory, nullptr);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                if (!UseDocuments(factory)) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace windows_test
