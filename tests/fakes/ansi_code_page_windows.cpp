// On Windows the ANSI code page is the system's, chosen before the process starts.
#include <gtest/gtest.h>

#include "fakes/ansi_code_page.h"

namespace fakes {

std::vector<UINT> AnsiCodePages() {
    return {GetACP()};
}

AnsiCodePageScope::AnsiCodePageScope(UINT codePage) : saved_(GetACP()) {
    EXPECT_EQ(saved_, codePage) << "the system's ANSI code page cannot change while it runs";
}

AnsiCodePageScope::~AnsiCodePageScope() = default;

}  // namespace fakes
