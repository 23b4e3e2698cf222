// The thread's COM initialisation count and model, as the COM library keeps them.
#include "platform/win32.h"

namespace {

struct ThreadCom {
    unsigned count = 0;
    DWORD model = COINIT_MULTITHREADED;
};

// Plain data: nothing to destroy when the thread ends.
thread_local ThreadCom threadCom;

DWORD ModelOf(DWORD coInit) {
    return (coInit & COINIT_APARTMENTTHREADED) != 0 ? COINIT_APARTMENTTHREADED
                                                    : COINIT_MULTITHREADED;
}

}  // namespace

extern "C" {

HRESULT CoInitializeEx(void* /*reserved*/, DWORD coInit) {
    const DWORD model = ModelOf(coInit);
    if (threadCom.count == 0) {
        threadCom.model = model;
    } else if (threadCom.model != model) {
        return RPC_E_CHANGED_MODE;
    }
    return threadCom.count++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (threadCom.count > 0) {
        --threadCom.count;
    }
}

}  // extern "C"
