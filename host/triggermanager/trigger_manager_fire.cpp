// Firing: the loop guard, the evaluation of every trigger against the data, the reply, and the
// events, delivered at once or queued for the manager's thread.
#include <utility>

#include "companions/error_report.h"
#include "companions/utf.h"
#include "triggermanager/condition.h"
#include "triggermanager/error_result.h"
#include "triggermanager/fire_reply.h"
#include "triggermanager/loop_guard.h"
#include "triggermanager/trigger_manager.h"

HRESULT TriggerManager::Fire(BSTR data, BSTR* reply) {
    if (reply == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager, u"no place for the reply");
    }
    *reply = nullptr;
    try {
        // A sink may release the last reference from inside its event.
        const ComPtr<ITriggerManager> keepAlive = ComPtr<ITriggerManager>::Share(this);
        Bstr text = ToBstr(FireAt(data, DeliveringChainDepth() + 1));
        *reply = text.detach();
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

std::string TriggerManager::FireAt(BSTR data, int depth) {
    if (depth > kMaxChainFirings) {
        CountRefusedFiring();
        return RefusedReply(depth);
    }
    ComPtr<IConfigDocument> document = ParseTriggerData(data);
    if (!document) {
        return {};
    }
    if (suspended_) {
        return SuspendedReply();
    }
    const std::vector<std::string> matched = triggers_.Matching(document.get());
    document.reset();
    std::string replyText = MatchedReply(matched);
    if (!matched.empty() && sinks_->size() != 0) {
        FiredEvent event;
        event.ids.reserve(matched.size());
        for (const std::string& id : matched) {
            event.ids.push_back(ToBstr(id));
        }
        event.data = Bstr::Copy(std::u16string_view(data, SysStringLen(data)));
        event.depth = depth;
        Raise(std::move(event));
    }
    return replyText;
}

void TriggerManager::Raise(FiredEvent event) {
    if (delivery_) {
        delivery_->Enqueue(std::move(event));
    } else {
        sinks_->Deliver(event);
    }
}
