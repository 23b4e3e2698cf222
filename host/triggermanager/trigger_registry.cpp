#include "triggermanager/trigger_registry.h"

#include <utility>

#include "companions/utf.h"
#include "triggermanager/condition.h"
#include "triggermanager/id_pattern.h"

namespace {

Bstr ConditionText(std::u16string_view condition) {
    return condition.empty() ? Bstr() : Bstr::Copy(condition);
}

}  // namespace

TriggerRegistry::TriggerRegistry(const std::string& path, std::shared_ptr<SqliteDriver> driver,
                                 std::chrono::milliseconds lockWait)
    : store_(path, std::move(driver), lockWait) {
    // Rows arrive in id order, so each goes in at the end without a search.
    store_.ForEach([this](std::string_view id, std::u16string_view condition) {
        copy_.emplace_hint(copy_.end(), std::string(id), Entry{ConditionText(condition)});
    });
}

void TriggerRegistry::Put(std::u16string_view id, std::u16string_view condition) {
    const std::string key = ToUtf8(id);
    const std::string storedCondition = ToUtf8(condition);
    // Everything that allocates happens before the store changes: once it has, the copy must
    // follow without a chance to fail.
    Copy staged;
    staged.emplace(key, Entry{ConditionText(condition)});
    Copy::node_type node = staged.extract(staged.begin());
    Bstr& fresh = node.mapped().condition;

    std::lock_guard<std::mutex> write(writeLock_);
    store_.Put(key, storedCondition);
    std::unique_lock<std::shared_mutex> change(copyLock_);
    // One walk down the tree finds both the entry to replace and, failing that, the place.
    const auto place = copy_.lower_bound(key);
    if (place != copy_.end() && place->first == key) {
        place->second.condition.swap(fresh);  // the replaced condition leaves with the node
    } else {
        copy_.insert(place, std::move(node));
    }
}

std::vector<std::string> TriggerRegistry::Doomed(std::string_view idOrPattern) const {
    std::vector<std::string> doomed;
    std::shared_lock<std::shared_mutex> read(copyLock_);
    if (IsIdPattern(idOrPattern)) {
        for (const auto& [id, entry] : copy_) {
            if (MatchesIdPattern(idOrPattern, id)) {
                doomed.push_back(id);
            }
        }
    } else if (copy_.find(idOrPattern) != copy_.end()) {
        doomed.emplace_back(idOrPattern);
    }
    return doomed;
}

std::size_t TriggerRegistry::Remove(std::u16string_view idOrPattern) {
    const std::string text = ToUtf8(idOrPattern);
    std::lock_guard<std::mutex> write(writeLock_);
    const std::vector<std::string> doomed = Doomed(text);
    if (doomed.empty()) {
        return 0;
    }
    store_.Remove(doomed);
    Copy removed;  // extracted nodes move here without allocating, and are freed after the lock
    {
        std::unique_lock<std::shared_mutex> change(copyLock_);
        for (const std::string& id : doomed) {
            removed.insert(copy_.extract(id));
        }
    }
    return doomed.size();
}

void TriggerRegistry::Clear() {
    std::lock_guard<std::mutex> write(writeLock_);
    store_.Clear();
    Copy removed;
    {
        std::unique_lock<std::shared_mutex> change(copyLock_);
        removed.swap(copy_);
    }
}

TriggerRegistry::Matches TriggerRegistry::Matching(IConfigDocument* document) const {
    Matches matches;
    std::shared_lock<std::shared_mutex> read(copyLock_);
    for (const auto& [id, entry] : copy_) {
        const ConditionOutcome outcome = entry.condition
                                             ? EvaluateCondition(document, entry.condition.get())
                                             : ConditionOutcome::Holds;
        if (outcome == ConditionOutcome::Holds) {
            matches.matched.push_back(id);
        } else if (outcome == ConditionOutcome::OutOfWork) {
            matches.outOfWork.push_back(id);
        }
    }
    return matches;
}

std::size_t TriggerRegistry::size() const {
    std::shared_lock<std::shared_mutex> read(copyLock_);
    return copy_.size();
}

std::vector<TriggerRegistry::Listed> TriggerRegistry::Listing(std::string_view idOrPattern) const {
    std::vector<Listed> listed;
    std::shared_lock<std::shared_mutex> read(copyLock_);
    const bool pattern = IsIdPattern(idOrPattern);
    for (const auto& [id, entry] : copy_) {
        if (idOrPattern.empty() ||
            (pattern ? MatchesIdPattern(idOrPattern, id) : id == idOrPattern)) {
            listed.push_back(
                {id, entry.condition ? ToUtf8(entry.condition.view()) : std::string()});
        }
    }
    return listed;
}
