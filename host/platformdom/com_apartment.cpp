#include "platformdom/com_apartment.h"

#include <utility>

#include "companions/com_error.h"

namespace platformdom {
namespace {

struct ThreadApartment {
    unsigned leases = 0;
    // Whether this library brought the thread into COM, and so must take it out again.
    bool entered = false;
};

// Plain data only: the toolchain's emulated thread-local storage runs no destructor safely.
thread_local ThreadApartment apartment;

}  // namespace

ApartmentLease ApartmentLease::Acquire() {
    if (apartment.leases == 0) {
        const HRESULT joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        // RPC_E_CHANGED_MODE: the thread is in a single-threaded apartment of its own choosing,
        // which serves the DOM as well; it is not ours to leave.
        if (FAILED(joined) && joined != RPC_E_CHANGED_MODE) {
            ThrowComError(joined);
        }
        apartment.entered = SUCCEEDED(joined);
    }
    ++apartment.leases;
    return ApartmentLease(GetCurrentThreadId());
}

ApartmentLease::ApartmentLease(ApartmentLease&& other) noexcept
    : thread_(std::exchange(other.thread_, 0)) {}

ApartmentLease::~ApartmentLease() {
    if (thread_ == 0 || thread_ != GetCurrentThreadId()) {
        return;
    }
    if (--apartment.leases == 0 && std::exchange(apartment.entered, false)) {
        CoUninitialize();
    }
}

}  // namespace platformdom
