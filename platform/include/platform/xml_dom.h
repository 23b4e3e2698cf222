// The XML DOM subset that configuration documents hand out.
#pragma once

#include "platform/win32.h"

#ifdef _WIN32
#include <msxml2.h>
#else
#include "platform/linux/xml_dom.h"
#endif
