// An owned critical section and the guard that holds it for one scope.
#pragma once

#include "platform/win32.h"

class CriticalSection {
  public:
    // Raises std::bad_alloc when the system cannot initialise the lock.
    CriticalSection();
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() noexcept { EnterCriticalSection(&section_); }
    void Leave() noexcept { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};

class CriticalSectionGuard {
  public:
    explicit CriticalSectionGuard(CriticalSection& section) noexcept : section_(section) {
        section_.Enter();
    }
    ~CriticalSectionGuard() { section_.Leave(); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

  private:
    CriticalSection& section_;
};
