#include "actionmanager/action_registry.h"

void ActionRegistry::Add(OleString category, OleString action, ActionTarget target) {
    Key key(std::move(category), std::move(action));
    std::lock_guard<std::mutex> guard(lock_);
    actions_.insert_or_assign(std::move(key), std::move(target));
}

std::optional<ActionTarget> ActionRegistry::Find(const OleString& category,
                                                 const OleString& action) const {
    const Key key(category, action);
    std::lock_guard<std::mutex> guard(lock_);
    const auto found = actions_.find(key);
    if (found == actions_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void ActionRegistry::Clear() {
    std::map<Key, ActionTarget> forgotten;
    {
        std::lock_guard<std::mutex> guard(lock_);
        forgotten.swap(actions_);
    }
}
