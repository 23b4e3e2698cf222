// The registered actions: (category, action) -> the module and entry that serve it. Names compare
// exactly (case-sensitive UTF-16); a later registration of the same pair replaces the earlier.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "companions/ole_string.h"

struct ActionTarget {
    OleString modulePath;
    OleString entry;
};

class ActionRegistry {
  public:
    void Add(OleString category, OleString action, ActionTarget target);
    // A copy, so the caller runs the action without the registry's lock.
    std::optional<ActionTarget> Find(const OleString& category, const OleString& action) const;
    void Clear();

  private:
    using Key = std::pair<OleString, OleString>;

    mutable std::mutex lock_;
    std::map<Key, ActionTarget> actions_;
};
