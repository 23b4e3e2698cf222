#include "triggermanager/manager_directory.h"

#include <algorithm>
#include <mutex>

namespace {

struct Directory {
    // Held while a listing copies the triggers out, so no registry goes away under it.
    std::mutex lock;
    std::vector<const TriggerRegistry*> registries;
};

Directory& Shared() {
    // Never destroyed: a manager released while the process exits still delists itself.
    static auto* const directory = new Directory();
    return *directory;
}

}  // namespace

ListedRegistry::ListedRegistry(const TriggerRegistry& registry) : registry_(registry) {
    Directory& directory = Shared();
    std::lock_guard<std::mutex> guard(directory.lock);
    directory.registries.push_back(&registry_);
}

ListedRegistry::~ListedRegistry() {
    Directory& directory = Shared();
    std::lock_guard<std::mutex> guard(directory.lock);
    std::erase(directory.registries, &registry_);
}

std::vector<TriggerRegistry::Listed> ListLiveTriggers(std::string_view idOrPattern) {
    Directory& directory = Shared();
    std::lock_guard<std::mutex> guard(directory.lock);
    std::vector<TriggerRegistry::Listed> listed;
    for (const TriggerRegistry* registry : directory.registries) {
        std::vector<TriggerRegistry::Listed> part = registry->Listing(idOrPattern);
        listed.insert(listed.end(), std::make_move_iterator(part.begin()),
                      std::make_move_iterator(part.end()));
    }
    return listed;
}
