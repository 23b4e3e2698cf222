// The action text of every trigger this module registered, by trigger id. Ids are ordered by
// unsigned byte comparison, case-sensitively; every walk over the table goes in that order.
// The lock is held only for the map access itself, never across a call to another component.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "bridge/critical_section.h"

class TriggerActionTable {
  public:
    TriggerActionTable() = default;
    TriggerActionTable(const TriggerActionTable&) = delete;
    TriggerActionTable& operator=(const TriggerActionTable&) = delete;

    // Adds the entry, or replaces the action of an existing one.
    void Set(const std::string& id, const std::string& action);
    // Erases the entry whose id equals `id` byte for byte, if there is one.
    void EraseExact(const std::string& id);
    // Erases every entry whose id the pattern matches; returns how many.
    std::size_t ErasePattern(const std::string& pattern);
    // The action stored for `id`; empty when there is none. Never adds an entry.
    std::string CopyAction(const std::string& id) const;
    // Every id, in table order.
    std::vector<std::string> Ids() const;
    void Clear();
    std::size_t Size() const;

  private:
    mutable CriticalSection lock_;
    // std::string compares as unsigned bytes, a prefix first: the order the table promises.
    std::map<std::string, std::string> entries_;
};
