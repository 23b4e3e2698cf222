// The module's own handle, recorded when the module is loaded.
#pragma once

#include "platform/win32.h"

// The handle GetModuleFileNameA takes to name this module's file.
HMODULE ModuleHandle();
