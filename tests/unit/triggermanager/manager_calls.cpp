#include "manager_calls.h"

#include <stdlib.h>

#include <stdexcept>

#include "companions/bstr.h"
#include "companions/utf.h"

Flag AddTrigger(ITriggerManager* manager, const std::string& id, const std::string& condition) {
    Bstr wideId = ToBstr(id);
    Bstr wideCondition = ToBstr(condition);
    LONG added = -1;
    const HRESULT code = manager->AddTrigger(wideId.get(), wideCondition.get(), &added);
    return {code, added};
}

Flag RemoveTrigger(ITriggerManager* manager, const std::string& idOrPattern) {
    Bstr wide = ToBstr(idOrPattern);
    LONG removed = -1;
    const HRESULT code = manager->RemoveTrigger(wide.get(), &removed);
    return {code, removed};
}

Flag DeleteDatabase(ITriggerManager* manager) {
    LONG deleted = -1;
    const HRESULT code = manager->DeleteDatabase(&deleted);
    return {code, deleted};
}

FireReply Fire(ITriggerManager* manager, const std::string& data) {
    Bstr wide = ToBstr(data);
    Bstr reply;
    const HRESULT code = manager->Fire(wide.get(), reply.put());
    return {code, ToUtf8(reply.view()), !reply};
}

std::vector<std::string> ReplyIds(const std::string& reply) {
    std::vector<std::string> ids;
    const std::string open = "<Trigger id=\"";
    for (std::size_t at = reply.find(open); at != std::string::npos;
         at = reply.find(open, at + 1)) {
        const std::size_t start = at + open.size();
        ids.push_back(reply.substr(start, reply.find('"', start) - start));
    }
    return ids;
}

ComPtr<IConnectionPoint> EventPoint(ITriggerManager* manager) {
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(manager->QueryInterface(IID_IConnectionPointContainer, container.put_void()))) {
        return nullptr;
    }
    ComPtr<IConnectionPoint> point;
    container->FindConnectionPoint(IID_ITriggerEvents, point.put());
    return point;
}

DWORD Advise(ITriggerManager* manager, IUnknown* sink, HRESULT* code) {
    DWORD cookie = 0;
    const ComPtr<IConnectionPoint> point = EventPoint(manager);
    const HRESULT result = point ? point->Advise(sink, &cookie) : E_NOINTERFACE;
    if (code != nullptr) {
        *code = result;
    }
    return SUCCEEDED(result) ? cookie : 0;
}

HRESULT Unadvise(ITriggerManager* manager, DWORD cookie) {
    const ComPtr<IConnectionPoint> point = EventPoint(manager);
    return point ? point->Unadvise(cookie) : E_NOINTERFACE;
}

std::string TakeErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return {};
    }
    Bstr description;
    info->GetDescription(description.put());
    return ToUtf8(description.view());
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tm-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
