// The modules that serve registered actions: each is loaded once, on its first use, and stays
// loaded until shutdown. A module is unloaded only when no running call holds it any more.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"

class LoadedModule {
  public:
    LoadedModule() noexcept = default;
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    // Takes over a handle from LoadLibraryA; false when there is none.
    bool Adopt(HMODULE handle) noexcept;
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
    // The module at `path`, loaded on first use. Concurrent first uses load it once: the others
    // wait for that one load. A failed load is not remembered; the next use tries again.
    ModuleLoad Load(const std::string& path);
    // Forgets every module; the caller's copies unload them as they go (see LoadedModule).
    std::vector<std::shared_ptr<LoadedModule>> TakeAll();

  private:
    struct Slot {
        std::shared_ptr<LoadedModule> module;  // null while `loader` loads it
        std::thread::id loader;
        // Set by TakeAll while the load runs: the loader then keeps its module to itself. The
        // slot stays until that load ends, so that one path is never loaded twice at once.
        bool forgotten = false;
    };

    std::mutex lock_;
    std::condition_variable settled_;
    std::map<std::string, Slot> slots_;
};
