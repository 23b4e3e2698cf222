#include "utf8.h"

#include <cstdint>

namespace platform_detail {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

// Where output goes: a buffer of fixed capacity, or nowhere while counting.
template <class Unit>
class Sink {
  public:
    Sink(Unit* output, std::size_t capacity) : output_(output), capacity_(capacity) {}

    bool counting() const { return output_ == nullptr; }
    std::size_t produced() const { return produced_; }
    std::size_t room() const { return counting() ? SIZE_MAX : capacity_ - produced_; }

    // False when the buffer is full.
    bool Put(Unit unit) {
        if (!counting()) {
            if (produced_ == capacity_) {
                return false;
            }
            output_[produced_] = unit;
        }
        ++produced_;
        return true;
    }
    void Advance(std::size_t units) { produced_ += units; }
    Unit* cursor() const { return output_ + produced_; }

  private:
    Unit* output_;
    std::size_t capacity_;
    std::size_t produced_ = 0;
};

template <class Unit>
Conversion Done(const Sink<Unit>& sink) {
    return {ConversionStatus::Done, sink.produced()};
}
Conversion Failed(ConversionStatus status) {
    return {status, 0};
}

// Plain ASCII runs are checked and copied sixteen units at a time: the fixed-size loops below
// are what the compiler turns into vector instructions. Each returns how many units it consumed.
constexpr std::size_t kBlock = 16;

template <class In>
bool AsciiBlock(const In* text) {
    unsigned bits = 0;
    for (std::size_t k = 0; k < kBlock; ++k) {
        bits |= static_cast<unsigned>(text[k]);
    }
    return bits < 0x80;
}

template <class In, class Out>
std::size_t CopyAsciiRun(const In* text, std::size_t count, Sink<Out>& sink) {
    const std::size_t limit = count < sink.room() ? count : sink.room();
    std::size_t i = 0;
    while (i + kBlock <= limit && AsciiBlock(text + i)) {
        if (!sink.counting()) {
            Out* out = sink.cursor();
            for (std::size_t k = 0; k < kBlock; ++k) {
                out[k] = static_cast<Out>(text[i + k]);
            }
        }
        sink.Advance(kBlock);
        i += kBlock;
    }
    const std::size_t start = i;
    while (i < limit && static_cast<unsigned>(text[i]) < 0x80) {
        ++i;
    }
    if (!sink.counting()) {
        Out* out = sink.cursor();
        for (std::size_t k = start; k < i; ++k) {
            out[k - start] = static_cast<Out>(text[k]);
        }
    }
    sink.Advance(i - start);
    return i;
}

}  // namespace

Utf8Step DecodeUtf8Step(const unsigned char* text, std::size_t available) {
    const unsigned char lead = text[0];
    if (lead < 0x80) {
        return {1, lead, true};
    }
    std::size_t trailing = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (InRange(lead, 0xC2, 0xDF)) {
        trailing = 1;
        value = lead & 0x1Fu;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        trailing = 2;
        value = lead & 0x0Fu;
        if (lead == 0xE0) {
            low = 0xA0;  // shorter forms are overlong
        } else if (lead == 0xED) {
            high = 0x9F;  // beyond lie the surrogates
        }
    } else if (InRange(lead, 0xF0, 0xF4)) {
        trailing = 3;
        value = lead & 0x07u;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;  // beyond lies past U+10FFFF
        }
    } else {
        return {1, kReplacement, false};
    }
    std::size_t length = 1;
    while (length <= trailing) {
        if (length == available || !InRange(text[length], low, high)) {
            return {length, kReplacement, false};
        }
        value = (value << 6) | (text[length] & 0x3Fu);
        low = 0x80;
        high = 0xBF;
        ++length;
    }
    return {length, value, true};
}

Conversion Utf8ToUtf16(const unsigned char* text, std::size_t count, char16_t* output,
                       std::size_t capacity, bool strict) {
    Sink<char16_t> sink(output, capacity);
    std::size_t i = 0;
    while (i < count) {
        i += CopyAsciiRun(text + i, count - i, sink);
        if (i == count) {
            break;
        }
        if (text[i] < 0x80) {
            return Failed(ConversionStatus::TooSmall);
        }
        const Utf8Step step = DecodeUtf8Step(text + i, count - i);
        if (!step.valid && strict) {
            return Failed(ConversionStatus::Invalid);
        }
        bool stored = false;
        if (step.codePoint >= 0x10000) {
            const char32_t offset = step.codePoint - 0x10000;
            stored = sink.Put(static_cast<char16_t>(0xD800 + (offset >> 10))) &&
                     sink.Put(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            stored = sink.Put(static_cast<char16_t>(step.codePoint));
        }
        if (!stored) {
            return Failed(ConversionStatus::TooSmall);
        }
        i += step.length;
    }
    return Done(sink);
}

Conversion Utf16ToUtf8(const char16_t* text, std::size_t count, unsigned char* output,
                       std::size_t capacity, bool strict) {
    Sink<unsigned char> sink(output, capacity);
    std::size_t i = 0;
    while (i < count) {
        i += CopyAsciiRun(text + i, count - i, sink);
        if (i == count) {
            break;
        }
        char32_t value = text[i];
        if (value < 0x80) {
            return Failed(ConversionStatus::TooSmall);
        }
        std::size_t consumed = 1;
        if (value >= 0xD800 && value <= 0xDFFF) {
            const bool paired =
                value <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            if (paired) {
                value = 0x10000 + ((value - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
                consumed = 2;
            } else if (strict) {
                return Failed(ConversionStatus::Invalid);
            } else {
                value = kReplacement;
            }
        }
        bool stored = false;
        if (value < 0x800) {
            stored = sink.Put(static_cast<unsigned char>(0xC0 | (value >> 6))) &&
                     sink.Put(static_cast<unsigned char>(0x80 | (value & 0x3F)));
        } else if (value < 0x10000) {
            stored = sink.Put(static_cast<unsigned char>(0xE0 | (value >> 12))) &&
                     sink.Put(static_cast<unsigned char>(0x80 | ((value >> 6) & 0x3F))) &&
                     sink.Put(static_cast<unsigned char>(0x80 | (value & 0x3F)));
        } else {
            stored = sink.Put(static_cast<unsigned char>(0xF0 | (value >> 18))) &&
                     sink.Put(static_cast<unsigned char>(0x80 | ((value >> 12) & 0x3F))) &&
                     sink.Put(static_cast<unsigned char>(0x80 | ((value >> 6) & 0x3F))) &&
                     sink.Put(static_cast<unsigned char>(0x80 | (value & 0x3F)));
        }
        if (!stored) {
            return Failed(ConversionStatus::TooSmall);
        }
        i += consumed;
    }
    return Done(sink);
}

}  // namespace platform_detail
