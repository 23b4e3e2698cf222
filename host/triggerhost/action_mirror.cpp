#include "action_mirror.h"

#include <iterator>

#include "input_limits.h"
#include "triggermanager/id_pattern.h"
#include "xml_peek.h"

void ActionMirror::Observe(const std::string& request, const std::string& result, HRESULT) {
    const RequestSummary target = PeekRequestTarget(request);
    if (target.type != "trigger") {
        return;
    }
    if (target.name == "unregisteraction") {
        // The plug-in erases its entries before it asks the trigger manager, so they are gone
        // even when that call fails; when it has no manager its table is empty already.
        std::lock_guard<std::mutex> guard(lock_);
        if (IsIdPattern(target.id)) {
            std::erase_if(actions_, [&](const auto& entry) {
                return MatchesIdPattern(target.id, entry.first);
            });
        } else {
            actions_.erase(target.id);
        }
        return;
    }
    const bool changesState =
        target.name == "registeraction" || target.name == "suspend" || target.name == "resume";
    // A fire's result (its reply, possibly long) need not be read.
    if (!changesState || ResultValue(result) != "true") {
        return;
    }
    if (target.name == "registeraction") {
        const RequestSummary registered = SummariseRequest(request);
        std::lock_guard<std::mutex> guard(lock_);
        actions_[registered.id] = Shortened(registered.action);
    } else if (target.name == "suspend" || target.name == "resume") {
        std::lock_guard<std::mutex> guard(lock_);
        suspended_ = target.name == "suspend";
    }
}

void ActionMirror::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    actions_.clear();
    suspended_ = false;
}

std::optional<std::string> ActionMirror::ActionFor(const std::string& id) const {
    std::lock_guard<std::mutex> guard(lock_);
    const auto found = actions_.find(id);
    if (found == actions_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<std::string> ActionMirror::Ids() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> ids;
    ids.reserve(actions_.size());
    for (const auto& entry : actions_) {
        ids.push_back(entry.first);
    }
    return ids;
}

bool ActionMirror::suspended() const {
    std::lock_guard<std::mutex> guard(lock_);
    return suspended_;
}
