// The registered actions: (category, action) -> the module and entry that serve it. Names compare
// exactly (case-sensitive UTF-16); a later registration of the same pair replaces the earlier.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

struct ActionTarget {
    std::u16string modulePath;
    std::u16string entry;
};

class ActionRegistry {
  public:
    void Add(std::u16string category, std::u16string action, ActionTarget target);
    // A copy, so the caller runs the action without the registry's lock.
    std::optional<ActionTarget> Find(const std::u16string& category,
                                     const std::u16string& action) const;
    void Clear();

  private:
    using Key = std::pair<std::u16string, std::u16string>;

    mutable std::mutex lock_;
    std::map<Key, ActionTarget> actions_;
};
