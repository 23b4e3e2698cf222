#include "triggermanager/trigger_manager.h"

#include <limits>

#include "companions/error_report.h"
#include "triggermanager/condition.h"
#include "triggermanager/error_result.h"
#include "triggermanager/utf16_check.h"

namespace {

OleStringView View(BSTR text) noexcept {
    return text != nullptr ? OleStringView(text, SysStringLen(text)) : OleStringView();
}

LONG ClampedCount(std::size_t count) noexcept {
    return count > static_cast<std::size_t>(std::numeric_limits<LONG>::max())
               ? std::numeric_limits<LONG>::max()
               : static_cast<LONG>(count);
}

}  // namespace

ComPtr<ITriggerManager> MakeTriggerManager(const ManagerOptions& options) {
    return ComPtr<ITriggerManager>::Adopt(new TriggerManager(options));
}

TriggerManager::TriggerManager(const ManagerOptions& options)
    : chainBudget_(options.chainBudget),
      evaluateEveryTrigger_(options.evaluateEveryTrigger),
      sinks_(std::make_shared<SinkList>()),
      triggers_(options.databasePath, options.driver ? options.driver : DefaultSqliteDriver(),
                options.lockWait),
      point_(*this, sinks_) {
    if (options.deliveryThread) {
        delivery_ = std::make_unique<DeliveryThread>(sinks_);
    }
}

TriggerManager::~TriggerManager() {
    // Stop the thread first: once it is joined (or is the caller) no event can start, so the
    // sinks can be let go without waiting for anyone.
    delivery_.reset();
    sinks_->RemoveAll();
}

HRESULT TriggerManager::GetTypeInfoCount(UINT*) {
    return ReportError(E_NOTIMPL, IID_ITriggerManager,
                       OLESTR("the trigger manager has no type information"));
}

HRESULT TriggerManager::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return ReportError(E_NOTIMPL, IID_ITriggerManager,
                       OLESTR("the trigger manager has no type information"));
}

HRESULT TriggerManager::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return ReportError(E_NOTIMPL, IID_ITriggerManager,
                       OLESTR("the trigger manager has no names to look up"));
}

HRESULT TriggerManager::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                               UINT*) {
    return ReportError(DISP_E_MEMBERNOTFOUND, IID_ITriggerManager,
                       OLESTR("the trigger manager's methods are called through its method table"));
}

HRESULT TriggerManager::AddTrigger(BSTR id, BSTR condition, LONG* added) {
    if (added == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager, OLESTR("no place for the added flag"));
    }
    *added = 0;
    try {
        const OleStringView idText = View(id);
        const OleStringView conditionText = View(condition);
        if (idText.empty()) {
            return ReportError(E_INVALIDARG, IID_ITriggerManager,
                               OLESTR("the trigger id is empty"));
        }
        if (!IsXmlText(idText)) {
            return ReportError(E_INVALIDARG, IID_ITriggerManager,
                               OLESTR("the trigger id holds a character XML cannot carry"));
        }
        // A condition that would not come back from the database as it went in is as unusable
        // as one that does not compile.
        if (!conditionText.empty() && !ConditionAccepted(condition)) {
            return S_OK;
        }
        triggers_.Put(idText, conditionText);
        *added = 1;
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

HRESULT TriggerManager::RemoveTrigger(BSTR idOrPattern, LONG* removed) {
    if (removed == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager,
                           OLESTR("no place for the removed count"));
    }
    *removed = 0;
    try {
        *removed = ClampedCount(triggers_.Remove(View(idOrPattern)));
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

HRESULT TriggerManager::DeleteDatabase(LONG* deleted) {
    if (deleted == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager, OLESTR("no place for the deleted flag"));
    }
    *deleted = 0;
    try {
        triggers_.Clear();
        *deleted = 1;
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

HRESULT TriggerManager::Reserved11() {
    return ReportError(E_NOTIMPL, IID_ITriggerManager, OLESTR("this method slot is not used"));
}

HRESULT TriggerManager::Suspend() {
    return suspended_.exchange(true) ? S_FALSE : S_OK;
}

HRESULT TriggerManager::Resume() {
    return suspended_.exchange(false) ? S_OK : S_FALSE;
}

HRESULT TriggerManager::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) {
        *points = nullptr;
    }
    return ReportError(E_NOTIMPL, IID_IConnectionPointContainer,
                       OLESTR("connection points cannot be enumerated; ask for ITriggerEvents"));
}

HRESULT TriggerManager::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) {
        return ReportError(E_POINTER, IID_IConnectionPointContainer,
                           OLESTR("no place for the connection point"));
    }
    *point = nullptr;
    if (!IsEqualIID(riid, IID_ITriggerEvents)) {
        return ReportError(CONNECT_E_NOCONNECTION, IID_IConnectionPointContainer,
                           OLESTR("the trigger manager raises ITriggerEvents only"));
    }
    point_.AddRef();
    *point = &point_;
    return S_OK;
}

HRESULT TriggerManager::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, IID_ITriggerManager) || IsEqualIID(riid, IID_IConnectionPointContainer)
               ? S_OK
               : S_FALSE;
}
