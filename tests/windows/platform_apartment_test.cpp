// The library over the platform DOM on threads that never set up COM, or set it up their own
// way: each works with documents, and is left in the apartment it had before.
#include <atomic>
#include <thread>
#include <vector>

#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "configdata_libraries.h"

namespace windows_test {
namespace {

// Two documents loaded and combined, and the DOM document of the result; whether all of it worked.
bool UseDocuments(ConfigDocumentFactory factory) {
    ComPtr<IConfigDocument> action;
    ComPtr<IConfigDocument> data;
    LONG loaded = 0;
    LONG combined = 0;
    ComPtr<IUnknown> dom;
    return factory(action.put()) == S_OK && factory(data.put()) == S_OK &&
           action->LoadXml(ToBstr("<Action/>").get(), &loaded) == S_OK && loaded == 1 &&
           data->LoadXml(ToBstr("<TriggerData/>").get(), &loaded) == S_OK && loaded == 1 &&
           action->Combine(data.get(), &combined) == S_OK && combined == 1 &&
           action->GetDocument(dom.put()) == S_OK && dom.As<IXMLDOMDocument>();
}

struct Apartment {
    const char* name;
    DWORD model;    // the thread's own CoInitializeEx; none for -1
    HRESULT probe;  // what CoInitializeEx(multithreaded) answers once the documents are gone
};

class PlatformApartment : public testing::TestWithParam<Apartment> {};

TEST_P(PlatformApartment, ThreadWorksAndIsLeftAsItWas) {
    const ConfigDocumentFactory factory = FactoryOf(kPlatformLibrary);
    ASSERT_NE(factory, nullptr);
    const Apartment& apartment = GetParam();
    bool worked = false;
    HRESULT probe = E_UNEXPECTED;
    std::thread([&] {
        const bool entered = apartment.model != static_cast<DWORD>(-1) &&
                             SUCCEEDED(CoInitializeEx(nullptr, apartment.model));
        worked = UseDocuments(factory) && UseDocuments(factory);
        probe = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int left = (SUCCEEDED(probe) ? 1 : 0) + (entered ? 1 : 0); left > 0; --left) {
            CoUninitialize();
        }
    }).join();
    EXPECT_TRUE(worked);
    EXPECT_EQ(probe, apartment.probe);
}

INSTANTIATE_TEST_SUITE_P(Table, PlatformApartment,
                         testing::Values(Apartment{"WithoutCom", static_cast<DWORD>(-1), S_OK},
                                         Apartment{"SingleThreaded", COINIT_APARTMENTTHREADED,
                                                   RPC_E_CHANGED_MODE},
                                         Apartment{"Multithreaded", COINIT_MULTITHREADED, S_FALSE}),
                         CaseName());

TEST(PlatformApartment, ThreadsWithoutComAtOnce) {
    const ConfigDocumentFactory factory = FactoryOf(kPlatformLibrary);
    ASSERT_NE(factory, nullptr);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                failures += UseDocuments(factory) ? 0 : 1;
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
