#include "actionmanager/module_cache.h"

#include <utility>

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) {
        FreeLibrary(handle_);
    }
}

bool LoadedModule::Adopt(HMODULE handle) noexcept {
    handle_ = handle;
    return handle_ != nullptr;
}

FARPROC LoadedModule::Find(const std::string& entry) const noexcept {
    return handle_ != nullptr ? GetProcAddress(handle_, entry.c_str()) : nullptr;
}

ModuleLoad ModuleCache::Load(const std::string& path) {
    const std::thread::id self = std::this_thread::get_id();
    // Allocated up front, so that nothing after the load can fail and leave waiters hanging.
    auto module = std::make_shared<LoadedModule>();

    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        const auto found = slots_.find(path);
        if (found == slots_.end()) {
            break;
        }
        if (found->second.module) {
            return {found->second.module, ERROR_SUCCESS};
        }
        if (found->second.loader == self) {
            // The module's own initialisation asks for it: it cannot serve before it is loaded.
            return {nullptr, ERROR_MOD_NOT_FOUND};
        }
        settled_.wait(guard);
    }
    slots_.emplace(path, Slot{nullptr, self, false});
    guard.unlock();

    // Loading runs the module's initialisation, which may call back into this library.
    const bool loaded = module->Adopt(LoadLibraryA(path.c_str()));

    guard.lock();
    // Only this load removes its slot, so the slot is still there.
    const auto slot = slots_.find(path);
    if (loaded && !slot->second.forgotten) {
        slot->second.module = module;
    } else {
        slots_.erase(slot);
    }
    guard.unlock();
    settled_.notify_all();
    if (!loaded) {
        return {nullptr, ERROR_MOD_NOT_FOUND};
    }
    return {std::move(module), ERROR_SUCCESS};
}

std::vector<std::shared_ptr<LoadedModule>> ModuleCache::TakeAll() {
    std::vector<std::shared_ptr<LoadedModule>> modules;
    {
        std::lock_guard<std::mutex> guard(lock_);
        modules.reserve(slots_.size());
        for (auto slot = slots_.begin(); slot != slots_.end();) {
            if (slot->second.module) {
                modules.push_back(std::move(slot->second.module));
                slot = slots_.erase(slot);
            } else {
                slot->second.forgotten = true;
                ++slot;
            }
        }
    }
    settled_.notify_all();
    return modules;
}
