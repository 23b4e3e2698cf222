// BSTR allocation: a 32-bit byte-length prefix, the UTF-16 text, then a two-byte zero, with the
// BSTR pointing just past the prefix so that it reads as an ordinary zero-terminated string.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/win32.h"

namespace {

using Prefix = std::uint32_t;
constexpr std::size_t kPrefixBytes = sizeof(Prefix);
constexpr std::size_t kTerminatorBytes = sizeof(OLECHAR);
// The prefix must hold the byte length, and the whole block must stay addressable.
constexpr std::size_t kMaxTextBytes =
    std::numeric_limits<Prefix>::max() - kPrefixBytes - kTerminatorBytes;

// Strings this thread may still allocate before one fails; negative: none fails.
thread_local LONG successesBeforeFailure = -1;

bool InjectedFailure() {
    if (successesBeforeFailure < 0) {
        return false;
    }
    if (successesBeforeFailure == 0) {
        successesBeforeFailure = -1;
        return true;
    }
    --successesBeforeFailure;
    return false;
}

unsigned char* BlockOf(BSTR text) {
    return static_cast<unsigned char*>(static_cast<void*>(text)) - kPrefixBytes;
}

// A block for `byteLength` bytes of text with prefix and terminator written, the text copied from
// `source` or, without one, zeroed so that a string allocated without a source never exposes
// stale memory.
BSTR Allocate(const void* source, std::size_t byteLength) {
    if (byteLength > kMaxTextBytes || InjectedFailure()) {
        return nullptr;
    }
    auto* block =
        static_cast<unsigned char*>(std::malloc(kPrefixBytes + byteLength + kTerminatorBytes));
    if (block == nullptr) {
        return nullptr;
    }
    const auto prefix = static_cast<Prefix>(byteLength);
    std::memcpy(block, &prefix, sizeof prefix);
    unsigned char* text = block + kPrefixBytes;
    if (source != nullptr) {
        std::memcpy(text, source, byteLength);
    } else {
        std::memset(text, 0, byteLength);
    }
    std::memset(text + byteLength, 0, kTerminatorBytes);
    return static_cast<BSTR>(static_cast<void*>(text));
}

std::size_t LengthToZero(const OLECHAR* text) {
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

}  // namespace

extern "C" {

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const std::size_t length = LengthToZero(text);
    if (length > kMaxTextBytes / sizeof(OLECHAR)) {
        return nullptr;
    }
    return Allocate(text, length * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    const std::size_t count = length;
    if (count > kMaxTextBytes / sizeof(OLECHAR)) {
        return nullptr;
    }
    return Allocate(text, count * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* bytes, UINT length) {
    return Allocate(bytes, length);
}

void SysFreeString(BSTR text) {
    if (text != nullptr) {
        std::free(BlockOf(text));
    }
}

UINT SysStringByteLen(BSTR text) {
    if (text == nullptr) {
        return 0;
    }
    Prefix prefix = 0;
    std::memcpy(&prefix, BlockOf(text), sizeof prefix);
    return prefix;
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / static_cast<UINT>(sizeof(OLECHAR));
}

LONG PlatformFailStringAllocation(LONG successes) {
    const LONG left = successesBeforeFailure;
    successesBeforeFailure = successes < 0 ? -1 : successes;
    return left;
}

}  // extern "C"
