// Ids of the platform DOM that mingw-w64 lacks: its headers do not name the version 6.0 document
// class, and its import libraries do not define the id of IXMLDOMDocument2. Ours, under our own
// names, so that a toolchain that does define them cannot clash with these.
#pragma once

#include "companions/iid_of.h"

namespace platformdom {

// DOMDocument60: the platform DOM of version 6.0, which prohibits DTDs and resolves nothing
// external unless told otherwise, and selects with XPath.
// {88D96A05-F192-11D4-A65F-0040963251E5}
inline constexpr CLSID kDomDocument60 = {
    0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};

// {2933BF95-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID kIidXmlDomDocument2 = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

}  // namespace platformdom

TB_DECLARE_IID(IXMLDOMDocument2, platformdom::kIidXmlDomDocument2)
