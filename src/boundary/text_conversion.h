// Text crossing the module's boundaries: wide strings (BSTR) outside, narrow strings inside.
// Narrow text is UTF-8 on every platform, so nothing is lost whatever the system's ANSI code page;
// each conversion keeps its own way of failing.
#pragma once

#include <memory>
#include <string>

#include "platform/win32.h"

// Narrow text with an owner; null means no text.
using NarrowBuffer = std::unique_ptr<char[]>;

// Narrow text to a new BSTR. Null gives null; a failed conversion raises ComError with the
// last-error code, a failed allocation ComError(E_OUTOFMEMORY).
BSTR NarrowToWide(const char* text);

// Wide text, up to its first zero character, to new narrow bytes of exact size. Null gives null;
// failures raise ComError as NarrowToWide does.
NarrowBuffer WideToNarrow(const OLECHAR* wide);

// Narrow text to a new BSTR in ConversionCodePage(); null on any failure.
BSTR NarrowToWideThreadCp(const char* text);

// Wide text to narrow text through one buffer sized for the longest narrow form of every unit;
// empty on any failure, std::bad_alloc only when memory runs out.
std::string WideToNarrowBounded(const OLECHAR* wide);

// The code page NarrowToWideThreadCp converts with: UTF-8, as every narrow text is.
UINT ConversionCodePage();

// The holder of one wide string crossing a boundary, with its narrow view made at most once.
// Each holder is made for one use and has one owner: it moves, it never copies.
class WideText {
  public:
    WideText() noexcept = default;
    WideText(WideText&& other) noexcept;
    WideText& operator=(WideText&& other) noexcept;
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;
    ~WideText() { Release(); }

    // The wide form of narrow text (NarrowToWide); null text gives a null wide string.
    static WideText FromNarrow(const char* text);
    static WideText FromNarrow(const std::string& text) { return FromNarrow(text.c_str()); }
    // A copy of wide text up to its first zero character; null gives a null wide string.
    static WideText FromWide(const OLECHAR* text);
    // Takes over a BSTR a callee returned, without copying it.
    static WideText TakeOver(BSTR text);

    // The wide string; null for an empty holder or a null text.
    BSTR wide() const noexcept;
    // The narrow copy (WideToNarrow), made on first request and kept; null for no text.
    const char* narrow();
    // The narrow copy as a string; empty for no text.
    std::string narrowString() {
        return narrow() != nullptr ? std::string(narrow()) : std::string();
    }

    void Release() noexcept;

  private:
    struct Record {
        BSTR wide = nullptr;
        NarrowBuffer narrow;
        LONG refCount = 1;
    };
    static WideText Own(BSTR wide);

    Record* record_ = nullptr;
};
