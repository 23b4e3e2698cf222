// Bstr: the owning holder of one BSTR (SysFreeString on release). The module's own boundary
// crossings go through WideText; this holder serves results and the host services.
#pragma once

#include <new>
#include <utility>

#include "companions/ole_string.h"

class Bstr {
  public:
    Bstr() noexcept = default;
    explicit Bstr(BSTR adopted) noexcept : text_(adopted) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        Bstr(std::move(other)).swap(*this);
        return *this;
    }
    ~Bstr() { SysFreeString(text_); }

    // A copy of the text; raises std::bad_alloc when the string cannot be had.
    static Bstr Copy(OleStringView text);

    BSTR get() const noexcept { return text_; }
    BSTR* put() noexcept {
        reset();
        return &text_;
    }
    BSTR detach() noexcept { return std::exchange(text_, nullptr); }
    void reset() noexcept { SysFreeString(std::exchange(text_, nullptr)); }
    void swap(Bstr& other) noexcept { std::swap(text_, other.text_); }
    explicit operator bool() const noexcept { return text_ != nullptr; }
    UINT length() const noexcept { return SysStringLen(text_); }
    OleStringView view() const noexcept {
        return text_ != nullptr ? OleStringView(text_, SysStringLen(text_)) : OleStringView();
    }

  private:
    BSTR text_ = nullptr;
};

inline Bstr Bstr::Copy(OleStringView text) {
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr) {
        throw std::bad_alloc();
    }
    return Bstr(copy);
}
