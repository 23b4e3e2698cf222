// Loading code: the one place that knows how a module learns its own handle.
#include "boundary/module_handle.h"

namespace {
HMODULE moduleHandle = nullptr;
}

HMODULE ModuleHandle() {
    return moduleHandle;
}

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleHandle = instance;
    }
    return TRUE;
}
#else
namespace {
// Outside Windows a module handle is any address inside the module; recorded at load.
__attribute__((constructor)) void RecordModuleHandle() {
    moduleHandle = reinterpret_cast<HMODULE>(&ModuleHandle);
}
}  // namespace
#endif
