// COM on the threads that use the platform DOM. The module and the host call in on threads whose
// COM they may never have set up; each configuration document holds a lease on its thread's
// apartment, so that a thread is in one while it has any document and is left as it was after.
#pragma once

#include "platform/win32.h"

namespace platformdom {

class ApartmentLease {
  public:
    // Makes sure the calling thread is in an apartment. A thread without COM joins the
    // multithreaded apartment here (the platform DOM lives in either kind), and leaves it again
    // when its last lease goes; a thread already in an apartment stays in it, whichever kind
    // the thread chose. Raises a ComError when COM cannot be had on the thread.
    static ApartmentLease Acquire();

    ApartmentLease(ApartmentLease&& other) noexcept;
    ApartmentLease& operator=(ApartmentLease&&) = delete;
    ApartmentLease(const ApartmentLease&) = delete;
    ApartmentLease& operator=(const ApartmentLease&) = delete;
    // On the thread that acquired it, gives the lease back: the last one of a thread that this
    // library brought into COM takes it out again. Given up on another thread, the lease stays
    // with its own thread, which then stays in COM until it ends: COM is left only on the
    // thread that entered it.
    ~ApartmentLease();

  private:
    explicit ApartmentLease(DWORD thread) noexcept : thread_(thread) {}

    DWORD thread_;  // 0 once moved from
};

}  // namespace platformdom
