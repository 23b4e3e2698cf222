// One request of the six trigger actions: parse it, carry out its command, write the result.
#pragma once

#include <string>
#include <string_view>

#include "companions/com_ptr.h"
#include "platform/xml_dom.h"

class TriggerBridge;

// Returns the command's outcome (zero for failure). When `output` is given its content is
// replaced by the result text, unless a ComError ends the call first.
LONG DispatchRequest(TriggerBridge& bridge, const char* request, std::string* output);

// The root element's attribute as narrow text; empty when the root or the attribute is missing.
std::string ReadRootAttribute(IXMLDOMDocument* document, const char* name);

// The first node the query selects, as an element; none for no match, a node that is no
// element, or any failure (a payload that cannot be read counts as absent).
ComPtr<IXMLDOMElement> SelectElement(IXMLDOMDocument* document, const char* query);

// The text behind the 22 characters `<?xml version="1.0"?> `.
std::string PrependXmlDeclaration(std::string_view text);
