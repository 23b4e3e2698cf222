// libxml2 is initialised once per process, by whichever thread needs it first, and never cleaned
// up here: another library of the process may still be using it.
#pragma once

namespace configdata {

void EnsureLibxmlReady();

}  // namespace configdata
