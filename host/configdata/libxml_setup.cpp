#include "configdata/libxml_setup.h"

#include <libxml/parser.h>

#include <mutex>

namespace configdata {

void EnsureLibxmlReady() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

}  // namespace configdata
