// A fiber-local slot with a callback: the system calls it with the slot's value when the thread
// ends, and the list it holds lives on the heap, not in thread-local storage.
#include <new>
#include <utility>
#include <vector>

#include "configdata/thread_owned.h"
#include "platform/win32.h"

namespace configdata {
namespace {

using ExitList = std::vector<std::pair<void (*)(void*), void*>>;

void WINAPI RunExitList(void* value) {
    auto* list = static_cast<ExitList*>(value);
    if (list == nullptr) {
        return;
    }
    while (!list->empty()) {
        const auto [destroy, object] = list->back();
        list->pop_back();
        destroy(object);
    }
    delete list;
}

DWORD ExitSlot() {
    static const DWORD slot = FlsAlloc(RunExitList);
    if (slot == FLS_OUT_OF_INDEXES) {
        throw std::bad_alloc();
    }
    return slot;
}

}  // namespace

void AtThreadExit(void (*destroy)(void*), void* object) {
    const DWORD slot = ExitSlot();
    auto* list = static_cast<ExitList*>(FlsGetValue(slot));
    if (list == nullptr) {
        auto made = std::make_unique<ExitList>();
        if (FlsSetValue(slot, made.get()) == FALSE) {
            throw std::bad_alloc();
        }
        list = made.release();
    }
    list->emplace_back(destroy, object);
}

}  // namespace configdata
