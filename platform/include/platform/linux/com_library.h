// The COM library's per-thread initialisation. Nothing here needs an apartment, but code that
// runs on Windows initialises COM on each thread it makes, balanced, and the calls keep their
// Windows answers so that such code behaves alike here.
#pragma once

#include "platform/linux/hresult.h"

enum COINIT : DWORD {
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
};

#define RPC_E_CHANGED_MODE MakeHresult(0x80010106u)

extern "C" {
// S_OK for the thread's first initialisation, S_FALSE for a further one in the same model (each
// to be balanced by CoUninitialize), RPC_E_CHANGED_MODE for another model (not to be balanced).
TB_PLATFORM_API HRESULT CoInitializeEx(void* reserved, DWORD coInit);
TB_PLATFORM_API void CoUninitialize();
}
