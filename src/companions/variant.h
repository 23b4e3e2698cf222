// Variant: the owning holder of one VARIANT (VariantClear on release).
#pragma once

#include <utility>

#include "platform/win32.h"

class Variant {
  public:
    Variant() noexcept { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    static Variant FromLong(LONG number) noexcept {
        Variant result;
        result.value_.vt = VT_I4;
        result.value_.lVal = number;
        return result;
    }

    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT& value() const noexcept { return value_; }
    // Clears what is held, then gives the slot for an out-parameter to fill.
    VARIANT* put() noexcept {
        VariantClear(&value_);
        return &value_;
    }

  private:
    VARIANT value_;
};

// VariantChangeType without flags. It only reads `source`, but one toolchain's system header
// declares that argument non-const; the difference ends here.
inline HRESULT ChangeVariantType(VARIANT* destination, const VARIANT& source,
                                 VARTYPE type) noexcept {
    return VariantChangeType(destination, const_cast<VARIANTARG*>(&source), 0, type);
}
