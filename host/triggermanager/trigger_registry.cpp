#include "triggermanager/trigger_registry.h"

#include <utility>

#include "companions/utf.h"
#include "triggermanager/condition.h"
#include "triggermanager/id_pattern.h"
#include "triggermanager/utf16_check.h"

namespace {

Bstr ConditionText(OleStringView condition) {
    return condition.empty() ? Bstr() : Bstr::Copy(condition);
}

void Judge(TriggerRegistry::Matches& matches, IConfigDocument* document, const std::string& id,
           const Bstr& condition) {
    const ConditionOutcome outcome =
        condition ? EvaluateCondition(document, condition.get()) : ConditionOutcome::Holds;
    if (outcome == ConditionOutcome::Holds) {
        matches.matched.push_back(id);
    } else if (outcome == ConditionOutcome::OutOfWork) {
        matches.outOfWork.push_back(id);
    }
}

}  // namespace

TriggerRegistry::TriggerRegistry(const std::string& path, std::shared_ptr<SqliteDriver> driver,
                                 std::chrono::milliseconds lockWait)
    : store_(path, std::move(driver), lockWait) {
    // Rows arrive in id order, so each goes in at the end without a search.
    store_.ForEach([this](std::string_view id, OleStringView condition) {
        const auto entry =
            copy_.emplace_hint(copy_.end(), std::string(id), Entry{ConditionText(condition), {}});
        FactIndex::Staged staged =
            StageIndex(entry->first, entry->second, condition, ToUtf8(condition));
        entry->second.place = index_.Insert(staged);
    });
}

FactIndex::Staged TriggerRegistry::StageIndex(const std::string& id, const Entry& entry,
                                              OleStringView condition,
                                              std::string_view utf8) {
    // Literals are compared as the evaluation reads them: text that does not convert back
    // unchanged (a database written elsewhere) is not read.
    return index_.Stage(FactIndex::Trigger{&id, &entry.condition},
                        IsWellFormedUtf16(condition) ? utf8 : std::string_view());
}

void TriggerRegistry::Put(OleStringView id, OleStringView condition) {
    const std::string key = ToUtf8(id);
    const std::string storedCondition = ToUtf8(condition);
    // Everything that allocates happens before the store changes: once it has, the copy and the
    // index must follow without a chance to fail.
    Copy staged;
    staged.emplace(key, Entry{ConditionText(condition), {}});
    Copy::node_type node = staged.extract(staged.begin());

    std::lock_guard<std::mutex> write(writeLock_);
    // Only this thread changes the copy, so it may be read here without the copy lock.
    const auto existing = copy_.find(key);
    const bool replacing = existing != copy_.end();
    // The index files the entry that will hold the condition: the existing one when the id is
    // replaced (its condition is swapped in place), else the staged one.
    FactIndex::Staged filing =
        replacing ? StageIndex(existing->first, existing->second, condition, storedCondition)
                  : StageIndex(node.key(), node.mapped(), condition, storedCondition);
    store_.Put(key, storedCondition);
    std::unique_lock<std::shared_mutex> change(copyLock_);
    if (replacing) {
        const FactIndex::Place old = existing->second.place;
        index_.Erase(old, key);
        existing->second.condition.swap(node.mapped().condition);  // the old one leaves with it
        existing->second.place = index_.Insert(filing);
        index_.Prune(old);
    } else {
        node.mapped().place = index_.Insert(filing);
        copy_.insert(std::move(node));
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

std::size_t TriggerRegistry::Remove(OleStringView idOrPattern) {
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
            const auto entry = copy_.find(id);
            index_.Erase(entry->second.place, id);
            index_.Prune(entry->second.place);
            removed.insert(copy_.extract(entry));
        }
    }
    return doomed.size();
}

void TriggerRegistry::Clear() {
    FactIndex emptied;  // made before anything changes
    std::lock_guard<std::mutex> write(writeLock_);
    store_.Clear();
    Copy removed;
    {
        std::unique_lock<std::shared_mutex> change(copyLock_);
        removed.swap(copy_);
        emptied.swap(index_);
    }
}

TriggerRegistry::Matches TriggerRegistry::Matching(IConfigDocument* document) const {
    Matches matches;
    std::shared_lock<std::shared_mutex> read(copyLock_);
    if (2 * index_.UnfiledCount() < copy_.size()) {
        const std::optional<std::vector<FactIndex::Trigger>> candidates =
            index_.Candidates(document);
        if (!candidates) {
            read.unlock();
            return MatchingEveryTrigger(document);
        }
        for (const FactIndex::Trigger& trigger : *candidates) {
            Judge(matches, document, *trigger.id, *trigger.condition);
        }
        return matches;
    }
    // Most triggers are candidates whatever the data: going through the copy in order costs less
    // than gathering them, and the filed ones are told by their id's place in the copy.
    const std::optional<std::vector<FactIndex::Trigger>> filed = index_.Filed(document);
    if (!filed) {
        read.unlock();
        return MatchingEveryTrigger(document);
    }
    auto next = filed->begin();
    for (const auto& [id, entry] : copy_) {
        if (entry.place.filed()) {
            if (next == filed->end() || next->id != &id) {
                continue;
            }
            ++next;
        }
        Judge(matches, document, id, entry.condition);
    }
    return matches;
}

TriggerRegistry::Matches TriggerRegistry::MatchingEveryTrigger(IConfigDocument* document) const {
    Matches matches;
    std::shared_lock<std::shared_mutex> read(copyLock_);
    for (const auto& [id, entry] : copy_) {
        Judge(matches, document, id, entry.condition);
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
