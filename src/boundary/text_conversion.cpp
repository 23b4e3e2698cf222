#include "boundary/text_conversion.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "companions/com_error.h"

namespace {

[[noreturn]] void ThrowLastError() {
    ThrowComError(HRESULT_FROM_WIN32(GetLastError()));
}

std::size_t WideLength(const OLECHAR* wide) {
    std::size_t n = 0;
    while (wide[n] != 0) {
        ++n;
    }
    return n;
}

int CheckedCount(std::size_t count) {
    if (count > static_cast<std::size_t>(INT32_MAX)) {
        ThrowComError(E_OUTOFMEMORY);
    }
    return static_cast<int>(count);
}

// Narrow text is UTF-8 whatever the system's ANSI code page: under a real one (1252, 932) a
// character outside it would turn into '?' or a look-alike and never come back, merging ids that
// differ only there. One UTF-16 unit needs at most three UTF-8 bytes (a surrogate pair, two
// units, needs four).
constexpr UINT kNarrowCodePage = CP_UTF8;
constexpr std::size_t kMaxBytesPerUnit = 3;

}  // namespace

UINT ConversionCodePage() {
    return kNarrowCodePage;
}

BSTR NarrowToWide(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const int bytes = CheckedCount(std::strlen(text) + 1);
    const int count = MultiByteToWideChar(kNarrowCodePage, 0, text, bytes, nullptr, 0);
    if (count == 0) {
        ThrowLastError();
    }
    // The string itself is the conversion buffer: a separate one would only be copied into it.
    // The text ends at its terminator, so no zero character can come out before the end and the
    // length is the one SysAllocString would have measured.
    std::unique_ptr<OLECHAR, decltype(&SysFreeString)> result(
        SysAllocStringLen(nullptr, static_cast<UINT>(count - 1)), SysFreeString);
    if (!result) {
        ThrowComError(E_OUTOFMEMORY);
    }
    if (MultiByteToWideChar(kNarrowCodePage, 0, text, bytes, result.get(), count) == 0) {
        ThrowLastError();
    }
    return result.release();
}

NarrowBuffer WideToNarrow(const OLECHAR* wide) {
    if (wide == nullptr) {
        return nullptr;
    }
    const int units = CheckedCount(WideLength(wide) + 1);
    const int bytes =
        WideCharToMultiByte(kNarrowCodePage, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (bytes == 0) {
        ThrowLastError();
    }
    const auto size = static_cast<std::size_t>(bytes);
    NarrowBuffer narrow(new (std::nothrow) char[size]);
    if (!narrow) {
        ThrowComError(E_OUTOFMEMORY);
    }
    if (WideCharToMultiByte(kNarrowCodePage, 0, wide, units, narrow.get(), bytes, nullptr,
                            nullptr) == 0) {
        ThrowLastError();
    }
    return narrow;
}

BSTR NarrowToWideThreadCp(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const UINT codePage = ConversionCodePage();
    const int count = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (count == 0) {
        return nullptr;
    }
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(count - 1));
    if (result == nullptr) {
        return nullptr;
    }
    if (MultiByteToWideChar(codePage, 0, text, -1, result, count) != count) {
        SysFreeString(result);
        return nullptr;
    }
    return result;
}

std::string WideToNarrowBounded(const OLECHAR* wide) {
    std::string result;
    const std::size_t units = wide != nullptr ? WideLength(wide) : 0;
    if (units == 0) {
        return result;
    }
    const std::size_t size = kMaxBytesPerUnit * units + 1;
    if (size > static_cast<std::size_t>(INT32_MAX)) {
        return result;
    }
    const std::unique_ptr<char[]> buffer(new char[size]);
    const int written = WideCharToMultiByte(kNarrowCodePage, 0, wide, -1, buffer.get(),
                                            static_cast<int>(size), nullptr, nullptr);
    buffer[size - 1] = '\0';
    if (written != 0) {
        result.assign(buffer.get());
    }
    return result;
}

WideText::WideText(WideText&& other) noexcept : record_(std::exchange(other.record_, nullptr)) {}

WideText& WideText::operator=(WideText&& other) noexcept {
    if (this != &other) {
        Release();
        record_ = std::exchange(other.record_, nullptr);
    }
    return *this;
}

WideText WideText::Own(BSTR wide) {
    std::unique_ptr<OLECHAR, decltype(&SysFreeString)> guard(wide, SysFreeString);
    WideText holder;
    holder.record_ = new Record;
    holder.record_->wide = guard.release();
    return holder;
}

WideText WideText::FromNarrow(const char* text) {
    return Own(NarrowToWide(text));
}

WideText WideText::FromWide(const OLECHAR* text) {
    BSTR copy = nullptr;
    if (text != nullptr) {
        copy = SysAllocString(text);
        if (copy == nullptr) {
            ThrowComError(E_OUTOFMEMORY);
        }
    }
    return Own(copy);
}

WideText WideText::TakeOver(BSTR text) {
    return Own(text);
}

BSTR WideText::wide() const noexcept {
    return record_ != nullptr ? record_->wide : nullptr;
}

const char* WideText::narrow() {
    if (record_ == nullptr) {
        return nullptr;
    }
    if (!record_->narrow && record_->wide != nullptr) {
        record_->narrow = WideToNarrow(record_->wide);
    }
    return record_->narrow.get();
}

void WideText::Release() noexcept {
    Record* record = std::exchange(record_, nullptr);
    if (record != nullptr && InterlockedDecrement(&record->refCount) == 0) {
        SysFreeString(record->wide);
        delete record;
    }
}
