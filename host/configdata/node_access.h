// How the library's own objects recognise each other when handed one through a public interface
// (appendChild's child, Combine's other document, the documents of the host functions). The ids
// are the library's own and are answered by nothing else.
#pragma once

#include <libxml/tree.h>

#include "companions/iid_of.h"

namespace configdata {

class DomDocument;

// {5C2B7E1A-8F43-4D8B-9A61-0B7E3C9D2F14}
inline constexpr IID IID_IDomNodeAccess = {
    0x5C2B7E1A, 0x8F43, 0x4D8B, {0x9A, 0x61, 0x0B, 0x7E, 0x3C, 0x9D, 0x2F, 0x14}};
// {A3E1D5C7-2B96-4F0E-8C4D-71F2B6A9E083}
inline constexpr IID IID_IConfigDocumentAccess = {
    0xA3E1D5C7, 0x2B96, 0x4F0E, {0x8C, 0x4D, 0x71, 0xF2, 0xB6, 0xA9, 0xE0, 0x83}};

// Answered by every DOM node and document of this library.
struct IDomNodeAccess : IUnknown {
    virtual xmlNode* XmlNode() noexcept = 0;
    virtual DomDocument& Owner() noexcept = 0;
};

// Answered by this library's configuration documents.
struct IConfigDocumentAccess : IUnknown {
    virtual DomDocument& Dom() noexcept = 0;
};

}  // namespace configdata

TB_DECLARE_IID(configdata::IDomNodeAccess, configdata::IID_IDomNodeAccess)
TB_DECLARE_IID(configdata::IConfigDocumentAccess, configdata::IID_IConfigDocumentAccess)
