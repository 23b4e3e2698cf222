// Which VARIANT types this layer knows how to hold, shared by the lifetime and conversion code.
#pragma once

#include "platform/win32.h"

namespace platform_detail {

// A type whose value this layer can clear and copy: the scalars, strings and interfaces, and
// references to them. Arrays are never built here, so they are refused rather than leaked.
bool IsValidVariantType(VARTYPE type);

}  // namespace platform_detail
