// Module paths and run-time loading. A module handle is an address inside the module, as on
// Windows (where it is the base address): so a handle from LoadLibraryA, the address of a
// function in the module and null (the main program) all name their module alike.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/win32.h"
#include "utf8.h"

namespace {

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

// The absolute path of the main program.
std::string ProgramPath() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) {
        return {};
    }
    path.resize(static_cast<std::size_t>(length));
    return path;
}

// The loader's record of the module holding `address`; null when no module holds it.
link_map* MapOf(const void* address) {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) {
        return nullptr;
    }
    return map;
}

// The main program has no name of its own in the loader's list.
bool IsProgram(const link_map& map) {
    return map.l_name == nullptr || map.l_name[0] == '\0';
}

// The absolute path of the module holding `address`; empty when no module holds it.
std::string PathOfAddress(const void* address) {
    const link_map* map = MapOf(address);
    if (map == nullptr) {
        return {};
    }
    // The kernel knows the program's path, even when it was started by a name relative to a
    // directory the process has since left.
    if (IsProgram(*map)) {
        return ProgramPath();
    }
    const std::unique_ptr<char, FreeDeleter> resolved(realpath(map->l_name, nullptr));
    return resolved ? std::string(resolved.get()) : std::string(map->l_name);
}

// A loader handle that holds one more reference to the module at `module`; null when none.
void* HandleOf(HMODULE module) {
    if (module == nullptr) {
        return dlopen(nullptr, RTLD_NOW);
    }
    const link_map* map = MapOf(module);
    if (map == nullptr) {
        return nullptr;
    }
    return IsProgram(*map) ? dlopen(nullptr, RTLD_NOW)
                           : dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD);
}

// The handle this layer gives out for a module the loader has open: its dynamic section, an
// address inside the module wherever the loader placed it.
HMODULE AddressOf(void* handle) {
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_ld == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(map->l_ld);
}

DWORD Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// The path of `module` (null: the program) into `name`; a Win32 error code when there is none.
DWORD ModuleName(HMODULE module, std::string& name) noexcept {
    try {
        name = module == nullptr ? ProgramPath() : PathOfAddress(module);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return name.empty() ? ERROR_MOD_NOT_FOUND : ERROR_SUCCESS;
}

// The UTF-16 form of a path, whose bytes are UTF-8 as this system's file names are.
DWORD WideName(const std::string& name, std::u16string& wide) noexcept {
    const auto* bytes = reinterpret_cast<const unsigned char*>(name.data());
    const platform_detail::Conversion counted =
        platform_detail::Utf8ToUtf16(bytes, name.size(), nullptr, 0, false);
    try {
        wide.assign(counted.produced, u'\0');
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    platform_detail::Utf8ToUtf16(bytes, name.size(), wide.data(), wide.size(), false);
    return ERROR_SUCCESS;
}

// Too small a buffer gets as much as fits, still terminated, and the full size as result.
template <class Char>
DWORD CopyName(const std::basic_string<Char>& name, Char* path, DWORD size) {
    if (size == 0) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (name.size() >= size) {
        std::memcpy(path, name.data(), (size - 1) * sizeof(Char));
        path[size - 1] = Char{0};
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(path, name.c_str(), (name.size() + 1) * sizeof(Char));
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}

}  // namespace

extern "C" {

DWORD GetModuleFileNameA(HMODULE module, LPSTR path, DWORD size) {
    if (path == nullptr && size != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name;
    const DWORD error = ModuleName(module, name);
    return error != ERROR_SUCCESS ? Fail(error) : CopyName(name, path, size);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD size) {
    if (path == nullptr && size != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name;
    DWORD error = ModuleName(module, name);
    std::u16string wide;
    if (error == ERROR_SUCCESS) {
        error = WideName(name, wide);
    }
    return error != ERROR_SUCCESS ? Fail(error) : CopyName(wide, path, size);
}

HMODULE LoadLibraryA(LPCSTR path) {
    if (path == nullptr || path[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* handle = dlopen(path, RTLD_NOW);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    HMODULE module = AddressOf(handle);
    if (module == nullptr) {
        dlclose(handle);
        SetLastError(ERROR_MOD_NOT_FOUND);
    }
    return module;
}

HMODULE LoadLibraryW(LPCWSTR path) {
    std::string name;
    if (path != nullptr) {
        const std::u16string_view wide(path);
        const platform_detail::Conversion counted =
            platform_detail::Utf16ToUtf8(wide.data(), wide.size(), nullptr, 0, false);
        try {
            name.assign(counted.produced, '\0');
        } catch (...) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        platform_detail::Utf16ToUtf8(wide.data(), wide.size(),
                                     reinterpret_cast<unsigned char*>(name.data()), name.size(),
                                     false);
    }
    return LoadLibraryA(path != nullptr ? name.c_str() : nullptr);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    // Names below 0x10000 are ordinals, which shared objects do not have.
    if (name == nullptr || reinterpret_cast<std::uintptr_t>(name) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* handle = HandleOf(module);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* symbol = dlsym(handle, name);
    dlclose(handle);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    FARPROC procedure = nullptr;
    static_assert(sizeof procedure == sizeof symbol);
    std::memcpy(&procedure, &symbol, sizeof symbol);
    return procedure;
}

BOOL FreeLibrary(HMODULE module) {
    if (module == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    void* handle = HandleOf(module);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    // One close for the reference just taken, one for the LoadLibraryA being undone.
    dlclose(handle);
    dlclose(handle);
    return TRUE;
}

}  // extern "C"
