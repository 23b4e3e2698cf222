// The modules that serve registered actions: each is loaded once, on its first use, and stays
// loaded until shutdown. A module is unloaded only when no running call holds it any more, and
// loading and unloading one path never overlap, so the module's initialisation and finalisation
// run strictly one after the other.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "companions/ole_string.h"

class LoadedModule {
  public:
    LoadedModule() noexcept = default;
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    // Takes over a handle from LoadLibraryW; false when there is none.
    bool Adopt(HMODULE handle) noexcept;
    bool loaded() const noexcept { return handle_ != nullptr; }
    // The exported function of that name; null when the module has none.
    FARPROC Find(const std::string& entry) const noexcept;

  private:
    HMODULE handle_ = nullptr;
};

struct ModuleLoad {
    std::shared_ptr<LoadedModule> module;  // null when the module could not be loaded
    DWORD error = ERROR_SUCCESS;
};

class ModuleCache {
  public:
    // The module at `path` (the wide form keeps every character of it, whatever the ANSI code
    // page), loaded on first use. Concurrent first uses load it once: the others
    // wait for that load. A failed load is not remembered; the next use tries again.
    ModuleLoad Load(const OleString& path);
    // Lets go of every module; each unloads when the last running call holding it returns. The
    // caller drops what this returns outside any lock of its own (unloading may call back in).
    std::vector<std::shared_ptr<LoadedModule>> TakeAll();

  private:
    enum class State { kLoading, kLoaded, kUnloading };

    struct Slot {
        State state = State::kLoading;
        std::thread::id busy;                // the thread loading or unloading it
        std::weak_ptr<LoadedModule> module;  // while loaded, whoever holds it
        std::shared_ptr<LoadedModule> kept;  // the cache's own hold, until TakeAll
        bool forgotten = false;              // TakeAll ran while it was loading
    };

    // Unloads a module once its last holder lets go, keeping its path's slot until it is gone.
    class Unloader {
      public:
        Unloader(ModuleCache& cache, OleString path) : cache_(&cache), path_(std::move(path)) {}
        void operator()(LoadedModule* module) const noexcept;

      private:
        ModuleCache* cache_;
        OleString path_;
    };

    std::mutex lock_;
    std::condition_variable settled_;
    std::map<OleString, Slot> slots_;
};
