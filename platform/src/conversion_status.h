// What a text conversion over counted buffers reports back.
#pragma once

#include <cstddef>

namespace platform_detail {

enum class ConversionStatus { Done, Invalid, TooSmall };

struct Conversion {
    ConversionStatus status;
    // Units the whole input needs (or produced, when written); valid only when Done.
    std::size_t produced;
};

}  // namespace platform_detail
