// The XML DOM that configuration documents hand out: the platform's own interfaces on Windows,
// the subset this system uses elsewhere. Implementations derive from XmlDomSlots<I>, which
// answers whatever lies outside the subset.
#pragma once

#include "platform/win32.h"

#ifdef _WIN32
#include "platform/windows/xml_dom_slots.h"
#else
#include "platform/linux/xml_dom.h"
#endif
