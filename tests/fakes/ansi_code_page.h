// The system ANSI code pages a test can run the module under. The stand-in outside Windows can
// switch between UTF-8 and Windows-1252 at run time; on Windows the page is fixed when the
// process starts, so there the suite runs once per page instead (see tests/CMakeLists.txt).
#pragma once

#include <vector>

#include "platform/win32.h"

namespace fakes {

// Every page this process can make its ANSI code page, the current one first.
std::vector<UINT> AnsiCodePages();

// Makes `codePage` (one of AnsiCodePages()) the process ANSI code page for the scope's life.
class AnsiCodePageScope {
  public:
    explicit AnsiCodePageScope(UINT codePage);
    ~AnsiCodePageScope();
    AnsiCodePageScope(const AnsiCodePageScope&) = delete;
    AnsiCodePageScope& operator=(const AnsiCodePageScope&) = delete;

  private:
    UINT saved_;
};

}  // namespace fakes
