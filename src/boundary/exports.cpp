// Every export catches everything at its edge: no error may reach the host.
#include "boundary/exports.h"

#include <array>
#include <new>
#include <string>

#include "boundary/module_handle.h"
#include "boundary/text_conversion.h"
#include "bridge/trigger_bridge.h"
#include "companions/action_manager.h"
#include "requests/dispatch_request.h"

namespace {

constexpr HRESULT kNotConnected = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);

constexpr std::array<const char*, 6> kActions = {"registeraction", "unregisteraction", "deletedb",
                                                 "fire",           "suspend",          "resume"};

void AnnounceActions() {
    // The path is read with the wide call: narrow text here is UTF-8, the system's narrow file
    // names are in its ANSI code page, and the wide form loses nothing either way.
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(ModuleHandle(), path, MAX_PATH);
    for (const char* action : kActions) {
        WideText category = WideText::FromNarrow("trigger");
        WideText name = WideText::FromNarrow(action);
        WideText modulePath = WideText::FromWide(path);
        WideText entry = WideText::FromNarrow("RunAction");
        // A refused registration leaves the others standing; nothing is retried.
        AddAction(category.wide(), name.wide(), modulePath.wide(), entry.wide(), 1);
    }
}

}  // namespace

HRESULT RegisterActions() noexcept {
    try {
        if (!TriggerBridge::Instance().Connect()) {
            return kNotConnected;
        }
        AnnounceActions();
        return S_OK;
    } catch (...) {
        return ResultFromCaughtException();
    }
}

HRESULT StopHandler() noexcept {
    try {
        return TriggerBridge::Instance().Disconnect() ? S_OK : E_FAIL;
    } catch (...) {
        return ResultFromCaughtException();
    }
}

HRESULT RunAction(BSTR request, BSTR* result) noexcept {
    try {
        WideText requestCopy = WideText::FromWide(request);
        std::string resultText;
        const LONG outcome =
            DispatchRequest(TriggerBridge::Instance(), requestCopy.narrow(), &resultText);
        if (result != nullptr) {
            BSTR wideResult = NarrowToWideThreadCp(resultText.c_str());
            if (wideResult == nullptr) {
                throw std::bad_alloc();
            }
            *result = wideResult;
        }
        return outcome != 0 ? S_OK : S_FALSE;
    } catch (...) {
        // The caller frees whatever the slot holds: never leave it a stale pointer.
        if (result != nullptr) {
            *result = nullptr;
        }
        return ResultFromCaughtException();
    }
}
