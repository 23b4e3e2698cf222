// The library's exports. Each catches everything at its edge: no error may reach the caller as
// an exception.
#include "actionmanager/action_manager.h"
#include "actionmanager/actionmanager_host.h"
#include "companions/action_manager.h"
#include "companions/com_error.h"

#define TB_ACTIONMANAGER_EXPORT extern "C" TB_ACTIONMANAGER_API HRESULT STDAPICALLTYPE

TB_ACTIONMANAGER_EXPORT AddAction(BSTR category, BSTR action, BSTR modulePath, BSTR entry,
                                  LONG /*flags*/) {
    try {
        return ActionManager::Instance().Add(category, action, modulePath, entry);
    } catch (...) {
        return ResultFromCaughtException();
    }
}

TB_ACTIONMANAGER_EXPORT DoAction(BSTR request, BSTR* result) {
    try {
        return ActionManager::Instance().Do(request, result);
    } catch (...) {
        return ResultFromCaughtException();
    }
}

TB_ACTIONMANAGER_EXPORT ActionManagerSetOutput(ActionManagerOutput output, void* context) {
    try {
        ActionManager::Instance().SetOutput(output, context);
        return S_OK;
    } catch (...) {
        return ResultFromCaughtException();
    }
}

TB_ACTIONMANAGER_EXPORT ActionManagerSetObserver(ActionManagerObserver observer, void* context) {
    try {
        ActionManager::Instance().SetObserver(observer, context);
        return S_OK;
    } catch (...) {
        return ResultFromCaughtException();
    }
}

TB_ACTIONMANAGER_EXPORT ActionManagerShutdown() {
    try {
        ActionManager::Instance().Shutdown();
        return S_OK;
    } catch (...) {
        return ResultFromCaughtException();
    }
}
