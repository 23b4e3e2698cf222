// Here thread_local destructors run while the thread's storage still stands.
#include <utility>
#include <vector>

#include "configdata/thread_owned.h"

namespace configdata {
namespace {

class ExitList {
  public:
    ~ExitList() {
        // Latest first, as destructors of thread_local objects run.
        while (!entries_.empty()) {
            const auto [destroy, object] = entries_.back();
            entries_.pop_back();
            destroy(object);
        }
    }
    void Add(void (*destroy)(void*), void* object) { entries_.emplace_back(destroy, object); }

  private:
    std::vector<std::pair<void (*)(void*), void*>> entries_;
};

}  // namespace

void AtThreadExit(void (*destroy)(void*), void* object) {
    thread_local ExitList list;
    list.Add(destroy, object);
}

}  // namespace configdata
