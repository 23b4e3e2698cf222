// Outside Windows the stand-in switches its ANSI code page on request.
#include <gtest/gtest.h>

#include "fakes/ansi_code_page.h"

namespace fakes {

std::vector<UINT> AnsiCodePages() {
    return GetACP() == CP_UTF8 ? std::vector<UINT>{CP_UTF8, CP_WINDOWS_1252}
                               : std::vector<UINT>{CP_WINDOWS_1252, CP_UTF8};
}

AnsiCodePageScope::AnsiCodePageScope(UINT codePage) : saved_(GetACP()) {
    EXPECT_TRUE(PlatformSetAnsiCodePage(codePage)) << codePage;
}

AnsiCodePageScope::~AnsiCodePageScope() {
    PlatformSetAnsiCodePage(saved_);
}

}  // namespace fakes
