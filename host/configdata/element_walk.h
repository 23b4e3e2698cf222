// One walk down a libxml2 tree for ConfigDataVisitElements (configdata_host.h).
#pragma once

#include <libxml/tree.h>

#include "configdata/configdata_host.h"

namespace configdata {

// Raises std::bad_alloc only.
void WalkElements(xmlDoc* document, IConfigDataElementVisitor& visitor);

}  // namespace configdata
