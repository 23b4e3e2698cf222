// The triggers a manager evaluates: the durable store, its in-memory ordered copy and the index
// over the copy (fact_index.h), changed together so that copy and index always equal what the
// store holds. Firing reads only the copy and the index.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "companions/bstr.h"
#include "companions/config_document.h"
#include "triggermanager/fact_index.h"
#include "triggermanager/trigger_store.h"

class TriggerRegistry {
  public:
    // Opens the store and loads the copy; raises ComError when the database cannot be used.
    TriggerRegistry(const std::string& path, std::shared_ptr<SqliteDriver> driver,
                    std::chrono::milliseconds lockWait);

    // Adds the trigger or replaces its condition (already checked; empty matches every firing).
    // On failure nothing has changed, in the store, the copy or the index.
    void Put(OleStringView id, OleStringView condition);
    // The exact id, or every id the pattern matches (id_pattern.h); how many were removed.
    std::size_t Remove(OleStringView idOrPattern);
    void Clear();

    // The ids (UTF-8, in id order) whose conditions the document meets, and those whose
    // evaluation ran out of work.
    struct Matches {
        std::vector<std::string> matched;
        std::vector<std::string> outOfWork;
    };
    // Evaluates the candidates the index names. The same matches as MatchingEveryTrigger; a
    // condition the index rules out is not evaluated, so it is never out of work.
    Matches Matching(IConfigDocument* document) const;
    // Evaluates every condition: the reference the index is measured and checked against.
    Matches MatchingEveryTrigger(IConfigDocument* document) const;
    std::size_t size() const;

    // The triggers (UTF-8, in id order) Remove would take for the text, or all of them for the
    // empty text, with their conditions (empty: matches every firing). Changes nothing.
    struct Listed {
        std::string id;
        std::string condition;
    };
    std::vector<Listed> Listing(std::string_view idOrPattern) const;

  private:
    struct Entry {
        Bstr condition;  // null: matches every firing
        FactIndex::Place place;
    };
    // Ordered by the bytes of the UTF-8 id, the order SQLite keeps them in as well.
    using Copy = std::map<std::string, Entry, std::less<>>;

    std::vector<std::string> Doomed(std::string_view idOrPattern) const;
    // Prepares the filing of the entry under `id` by its condition's UTF-8 text.
    FactIndex::Staged StageIndex(const std::string& id, const Entry& entry,
                                 OleStringView condition, std::string_view utf8);

    // One change at a time, store and copy together; taken before copyLock_.
    std::mutex writeLock_;
    // Shared while firing, exclusive only for the moment a change reaches the copy.
    mutable std::shared_mutex copyLock_;
    TriggerStore store_;
    Copy copy_;
    FactIndex index_;
};
