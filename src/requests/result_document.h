// The result text every request answers with: <ActionResult><Result>value</Result></ActionResult>,
// and the two document helpers the request path shares.
#pragma once

#include <string>

#include "companions/com_ptr.h"
#include "companions/config_document.h"

struct OpenedDocument {
    ComPtr<IConfigDocument> config;
    ComPtr<IXMLDOMDocument> dom;
};

// A fresh DOM document through a new configuration document; either may be missing, and a
// failure to obtain the DOM document is not raised.
OpenedDocument OpenDomDocument();

// The node's serialised XML as narrow text; a failing call raises ComError.
std::string NodeXml(IXMLDOMNode* node);

// "true" for any nonzero flag, "false" for zero.
std::string ResultXmlFromFlag(LONG flag);

// The value as text content of Result (markup escaped); null gives an empty Result. Empty text
// when no document can be had.
std::string ResultXmlFromText(const char* value);
