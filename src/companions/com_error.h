// The COM error exception and the one helper that raises it from a failing HRESULT.
#pragma once

#include <exception>
#include <string>

#include "companions/iid_of.h"
#include "companions/ole_string.h"

class ComError : public std::exception {
  public:
    ComError(HRESULT code, const IID* iid, OleString description);

    HRESULT code() const noexcept { return code_; }
    // The interface whose method failed; GUID_NULL when the failure was not a method call.
    const IID& iid() const noexcept { return iid_; }
    const OleString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    HRESULT code_;
    IID iid_;
    OleString description_;
    std::string what_;
};

// Raises a ComError for a failure that is no interface method's (a conversion, an allocation).
[[noreturn]] void ThrowComError(HRESULT code);

// Raises a ComError carrying the interface id and, when the object offers it for that interface,
// the description of the thread's error information.
[[noreturn]] void ThrowComError(HRESULT code, const IID& iid, IUnknown* object);

inline void ThrowIfFailed(HRESULT code) {
    if (FAILED(code)) {
        ThrowComError(code);
    }
}

// The form every companion and DOM call takes: ThrowIfFailed(object->Method(...), object).
template <class Interface>
void ThrowIfFailed(HRESULT code, Interface* object) {
    if (FAILED(code)) {
        ThrowComError(code, IidOf<Interface>(), object);
    }
}

// Maps the exception being handled to a result code; for use inside catch (...) at a boundary:
// a ComError gives its code, std::bad_alloc E_OUTOFMEMORY, anything else E_UNEXPECTED.
HRESULT ResultFromCaughtException() noexcept;
