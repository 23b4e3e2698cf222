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

// Every shared_ptr to a module is dropped outside lock_: its unloading takes that lock.
ModuleLoad ModuleCache::Load(const OleString& path) {
    const std::thread::id self = std::this_thread::get_id();
    // Allocated up front, so that nothing after the load can fail and leave waiters hanging.
    std::shared_ptr<LoadedModule> module(new LoadedModule(), Unloader(*this, path));

    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        const auto found = slots_.find(path);
        if (found == slots_.end()) {
            break;
        }
        Slot& slot = found->second;
        if (slot.state == State::kLoaded) {
            if (std::shared_ptr<LoadedModule> held = slot.module.lock()) {
                // Still running an action since a shutdown: used again rather than loaded twice.
                if (!slot.kept) {
                    slot.kept = held;
                }
                return {std::move(held), ERROR_SUCCESS};
            }
            // Its last holder is about to unload it; wait for that.
        } else if (slot.busy == self) {
            // The module's own initialisation or finalisation asks for it.
            return {nullptr, ERROR_MOD_NOT_FOUND};
        }
        settled_.wait(guard);
    }
    Slot& slot = slots_[path];
    slot.busy = self;
    guard.unlock();

    // Loading runs the module's initialisation, which may call back into this library.
    const bool loaded = module->Adopt(LoadLibraryW(path.c_str()));

    guard.lock();
    ModuleLoad result;
    if (loaded) {
        slot.state = State::kLoaded;
        slot.busy = std::thread::id();
        slot.module = module;
        if (!slot.forgotten) {
            slot.kept = module;
        }
        result = {std::move(module), ERROR_SUCCESS};
    } else {
        slots_.erase(path);
        result = {nullptr, ERROR_MOD_NOT_FOUND};
    }
    guard.unlock();
    settled_.notify_all();
    return result;
}

std::vector<std::shared_ptr<LoadedModule>> ModuleCache::TakeAll() {
    std::vector<std::shared_ptr<LoadedModule>> modules;
    {
        std::lock_guard<std::mutex> guard(lock_);
        modules.reserve(slots_.size());
        for (auto& [path, slot] : slots_) {
            if (slot.kept) {
                modules.push_back(std::move(slot.kept));
            }
            slot.forgotten = slot.state == State::kLoading;
        }
    }
    return modules;
}

void ModuleCache::Unloader::operator()(LoadedModule* module) const noexcept {
    if (!module->loaded()) {
        delete module;
        return;
    }
    const std::thread::id self = std::this_thread::get_id();
    {
        // The slot stays from the load until here: only this unloading removes a loaded slot.
        std::lock_guard<std::mutex> guard(cache_->lock_);
        const auto slot = cache_->slots_.find(path_);
        if (slot != cache_->slots_.end()) {
            slot->second.state = State::kUnloading;
            slot->second.busy = self;
        }
    }
    // Finalisation runs here, outside the lock; it may call back into this library.
    delete module;
    {
        std::lock_guard<std::mutex> guard(cache_->lock_);
        cache_->slots_.erase(path_);
    }
    cache_->settled_.notify_all();
}
