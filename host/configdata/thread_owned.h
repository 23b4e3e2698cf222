// Objects that belong to one thread and go when it ends: the parser context and the compiled
// expressions each thread keeps.
//
// Not plain thread_local objects: with the Windows toolchain's emulated thread-local storage, a
// thread's thread_local variables are freed before their destructors run, so a destructor that
// resets its own members writes into freed memory (seen as heap corruption under load). Only a
// pointer is thread_local here, and the object is destroyed by a thread-exit callback of its own.
#pragma once

#include <memory>

namespace configdata {

// Runs `destroy(object)` when the calling thread ends. Raises std::bad_alloc.
void AtThreadExit(void (*destroy)(void*), void* object);

// The calling thread's T, made on first use and destroyed when the thread ends.
template <class T>
T& ThreadOwned() {
    thread_local T* object = nullptr;
    if (object == nullptr) {
        auto made = std::make_unique<T>();
        AtThreadExit([](void* owned) { delete static_cast<T*>(owned); }, made.get());
        object = made.release();
    }
    return *object;
}

}  // namespace configdata
