#include "bridge/critical_section.h"

#include <new>

CriticalSection::CriticalSection() {
    if (InitializeCriticalSectionAndSpinCount(&section_, 0) == FALSE) {
        throw std::bad_alloc();
    }
}
