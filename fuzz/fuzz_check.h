// A broken invariant is a finding: say which and stop as a crash does, so the fuzzer keeps the
// input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

[[noreturn]] inline void FuzzFail(const char* invariant, std::string_view detail = {}) {
    std::fprintf(stderr, "\ninvariant broken: %s\n%.*s\n", invariant,
                 static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void FuzzCheck(bool holds, const char* invariant, std::string_view detail = {}) {
    if (!holds) {
        FuzzFail(invariant, detail);
    }
}
