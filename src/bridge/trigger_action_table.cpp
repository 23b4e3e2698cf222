#include "bridge/trigger_action_table.h"

#include "bridge/wildcard.h"

void TriggerActionTable::Set(const std::string& id, const std::string& action) {
    CriticalSectionGuard guard(lock_);
    entries_.insert_or_assign(id, action);
}

void TriggerActionTable::EraseExact(const std::string& id) {
    CriticalSectionGuard guard(lock_);
    entries_.erase(id);
}

std::size_t TriggerActionTable::ErasePattern(const std::string& pattern) {
    CriticalSectionGuard guard(lock_);
    return std::erase_if(entries_, [&pattern](const auto& entry) {
        return MatchWildcard(pattern.c_str(), entry.first.c_str());
    });
}

std::string TriggerActionTable::CopyAction(const std::string& id) const {
    CriticalSectionGuard guard(lock_);
    const auto found = entries_.find(id);
    return found != entries_.end() ? found->second : std::string();
}

std::vector<std::string> TriggerActionTable::Ids() const {
    CriticalSectionGuard guard(lock_);
    std::vector<std::string> ids;
    ids.reserve(entries_.size());
    for (const auto& entry : entries_) {
        ids.push_back(entry.first);
    }
    return ids;
}

void TriggerActionTable::Clear() {
    CriticalSectionGuard guard(lock_);
    entries_.clear();
}

std::size_t TriggerActionTable::Size() const {
    CriticalSectionGuard guard(lock_);
    return entries_.size();
}
