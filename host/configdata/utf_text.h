// Text between the DOM's two worlds: BSTR is UTF-16, libxml2 is UTF-8. One pass each way; an
// unpaired surrogate or an invalid byte becomes U+FFFD, never an error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "companions/bstr.h"

namespace configdata {

// The text of a BSTR; null reads as empty, as the platform DOM treats it.
inline OleStringView ViewOf(BSTR text) noexcept {
    return text != nullptr ? OleStringView(text, SysStringLen(text)) : OleStringView();
}

// Bytes that AppendUtf8 adds for `text`.
std::size_t Utf8Length(OleStringView text) noexcept;

// Appends `text` as UTF-8. U+0000 becomes U+FFFD as well: libxml2 strings end at a zero byte, so
// a zero inside would silently cut the text short.
void AppendUtf8(std::string& out, OleStringView text);

// Zero-terminated UTF-8 of short text without touching the heap: names, attribute values and
// expressions are converted on every call, and most fit the inline buffer.
class Utf8Text {
  public:
    explicit Utf8Text(OleStringView text);
    explicit Utf8Text(BSTR text) : Utf8Text(ViewOf(text)) {}
    Utf8Text(const Utf8Text&) = delete;
    Utf8Text& operator=(const Utf8Text&) = delete;

    std::string_view view() const noexcept { return {data_, size_}; }
    const char* c_str() const noexcept { return data_; }
    const unsigned char* xml() const noexcept {
        return reinterpret_cast<const unsigned char*>(data_);
    }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }

  private:
    static constexpr std::size_t kInline = 240;
    char inline_[kInline];
    std::string heap_;
    const char* data_ = inline_;
    std::size_t size_ = 0;
};

}  // namespace configdata
