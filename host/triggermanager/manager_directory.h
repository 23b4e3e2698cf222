// The trigger registries of the managers alive in the process, for the host's one question about
// all of them: which triggers they hold.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "triggermanager/trigger_registry.h"

// Lists a registry for its own lifetime; a member of the manager that owns the registry.
class ListedRegistry {
  public:
    explicit ListedRegistry(const TriggerRegistry& registry);
    ~ListedRegistry();
    ListedRegistry(const ListedRegistry&) = delete;
    ListedRegistry& operator=(const ListedRegistry&) = delete;

  private:
    const TriggerRegistry& registry_;
};

// The triggers of every live manager, manager by manager in the order they were created, each in
// id order: every trigger for the empty text, else those Remove would take for it.
std::vector<TriggerRegistry::Listed> ListLiveTriggers(std::string_view idOrPattern);
