// The one header through which code reaches the Win32, OLE automation and COM names.
// On Windows it is the system's own headers; elsewhere, the subset in linux/.
#pragma once

#ifdef _WIN32
// windows.h must come first.
// clang-format off
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mbstring.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleauto.h>
// clang-format on

// An HRESULT from its bits, as the stand-in outside Windows spells its constants.
constexpr HRESULT MakeHresult(unsigned long bits) {
    return static_cast<HRESULT>(bits);
}

// Exports are listed in each library's .def file, which gives their names and ordinals.
#define TB_EXPORT
#else
#include "platform/linux/com_library.h"
#include "platform/linux/connection_point.h"
#include "platform/linux/dispatch.h"
#include "platform/linux/error_info.h"
#include "platform/linux/guid.h"
#include "platform/linux/hresult.h"
#include "platform/linux/kernel.h"
#include "platform/linux/mbstring.h"
#include "platform/linux/oleauto.h"
#include "platform/linux/types.h"
#include "platform/linux/unknown.h"

// Exactly the names in each library's version script leave it.
#define TB_EXPORT __attribute__((visibility("default")))
#endif
