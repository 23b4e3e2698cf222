// COM initialised on the calling thread for a scope's life, and balanced at its end. A thread the
// system makes itself (a trigger manager's delivery thread, a host's worker) joins the
// multithreaded apartment, so that objects of the platform's own, such as its XML DOM, may be
// made and called on it.
#pragma once

#include "platform/win32.h"

class ComApartment {
  public:
    ComApartment() noexcept : joined_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComApartment() {
        // A thread already in another apartment stays there, and owes nothing.
        if (SUCCEEDED(joined_)) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // S_OK or S_FALSE once joined; RPC_E_CHANGED_MODE when the thread was in another apartment.
    HRESULT result() const noexcept { return joined_; }

  private:
    HRESULT joined_;
};
