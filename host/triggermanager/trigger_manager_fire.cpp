// Firing: the loop guard (depth and budget of the chain), the evaluation of the triggers that may
// match the data, the reply, and the events, delivered at once or queued for the manager's thread.
#include <utility>

#include "companions/error_report.h"
#include "companions/utf.h"
#include "triggermanager/condition.h"
#include "triggermanager/error_result.h"
#include "triggermanager/fire_reply.h"
#include "triggermanager/firing_history.h"
#include "triggermanager/loop_guard.h"
#include "triggermanager/trigger_manager.h"

HRESULT TriggerManager::Fire(BSTR data, BSTR* reply) {
    if (reply == nullptr) {
        return ReportError(E_POINTER, IID_ITriggerManager, OLESTR("no place for the reply"));
    }
    *reply = nullptr;
    try {
        // A sink may release the last reference from inside its event.
        const ComPtr<ITriggerManager> keepAlive = ComPtr<ITriggerManager>::Share(this);
        // A firing made while an event is delivered continues that event's chain; any other
        // starts a chain of its own.
        ChainPosition position = DeliveringChain();
        if (!position.chain) {
            position.chain = std::make_shared<Chain>(chainBudget_);
        }
        Bstr text = ToBstr(FireAt(data, position.chain, position.depth + 1));
        *reply = text.detach();
        return S_OK;
    } catch (...) {
        return ReportCaughtError(IID_ITriggerManager);
    }
}

std::string TriggerManager::FireAt(BSTR data, const std::shared_ptr<Chain>& chain, int depth) {
    FiringFacts facts;
    facts.depth = depth;
    if (depth > kMaxChainDepth) {
        CountRefusedFiring(Refusal::Loop);
        facts.outcome = FiringOutcome::RefusedLoop;
        RecordFiring(data, facts);
        return RefusedReply(depth);
    }
    if (!chain->TakeFiring()) {
        CountRefusedFiring(Refusal::Budget);
        facts.outcome = FiringOutcome::RefusedBudget;
        facts.budget = chain->budget();
        RecordFiring(data, facts);
        return OverBudgetReply(chain->budget());
    }
    ComPtr<IConfigDocument> document = ParseTriggerData(data);
    if (!document) {
        facts.outcome = FiringOutcome::NotXml;
        RecordFiring(data, facts);
        return {};
    }
    if (suspended_) {
        facts.outcome = FiringOutcome::Suspended;
        RecordFiring(data, facts);
        return SuspendedReply();
    }
    const TriggerRegistry::Matches matches = evaluateEveryTrigger_
                                                 ? triggers_.MatchingEveryTrigger(document.get())
                                                 : triggers_.Matching(document.get());
    document.reset();
    const std::vector<std::string>& matched = matches.matched;
    std::string replyText = MatchedReply(matched, matches.outOfWork);
    // Kept before the events go out, so the firings they set off come after it.
    facts.matched = &matched;
    facts.exhausted = &matches.outOfWork;
    RecordFiring(data, facts);
    if (!matched.empty() && sinks_->size() != 0) {
        FiredEvent event;
        event.ids.reserve(matched.size());
        for (const std::string& id : matched) {
            event.ids.push_back(ToBstr(id));
        }
        event.data = Bstr::Copy(OleStringView(data, SysStringLen(data)));
        event.chain = chain;
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
