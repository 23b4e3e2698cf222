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

// The slot lives as long as the library. When the library is unloaded before the process ends
// (a host freeing the plug-in that imported it), FlsFree runs the callback for the lists still
// held, so no thread that ends later calls into code that is gone.
class ExitSlot {
  public:
    ExitSlot() noexcept : index_(FlsAlloc(RunExitList)) {}
    ~ExitSlot() {
        if (index_ != FLS_OUT_OF_INDEXES) {
            FlsFree(index_);
        }
    }
    ExitSlot(const ExitSlot&) = delete;
    ExitSlot& operator=(const ExitSlot&) = delete;

    DWORD index() const {
        if (index_ == FLS_OUT_OF_INDEXES) {
            throw std::bad_alloc();
        }
        return index_;
    }

  private:
    DWORD index_;
};

DWORD ExitSlotIndex() {
    static const ExitSlot slot;
    return slot.index();
}

}  // namespace

void AtThreadExit(void (*destroy)(void*), void* object) {
    const DWORD slot = ExitSlotIndex();
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
