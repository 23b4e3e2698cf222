#include "configdata/dom_node.h"

#include <new>
#include <string>
#include <string_view>

#include "companions/utf.h"
#include "companions/variant.h"
#include "configdata/failure.h"
#include "configdata/utf_text.h"

namespace configdata {
namespace {

std::string_view View(const xmlChar* text) {
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text))
                           : std::string_view();
}

// Whether prefix:local (or local alone, without a prefix) spells `name`.
bool SpellsName(const xmlChar* prefix, const xmlChar* local, std::string_view name) {
    if (prefix == nullptr) {
        return View(local) == name;
    }
    const std::string_view p = View(prefix);
    return name.size() > p.size() && name.substr(0, p.size()) == p && name[p.size()] == ':' &&
           name.substr(p.size() + 1) == View(local);
}

xmlAttr* FindAttribute(xmlNode* element, std::string_view name) {
    for (xmlAttr* attribute = element->properties; attribute != nullptr;
         attribute = attribute->next) {
        const xmlChar* prefix = attribute->ns != nullptr ? attribute->ns->prefix : nullptr;
        if (SpellsName(prefix, attribute->name, name)) {
            return attribute;
        }
    }
    return nullptr;
}

// The platform DOM shows namespace declarations as attributes named xmlns or xmlns:prefix.
bool IsNamespaceDeclaration(std::string_view name) {
    return name == "xmlns" || name.substr(0, 6) == "xmlns:";
}

const xmlNs* FindDeclaration(const xmlNode* element, std::string_view name) {
    const std::string_view prefix = name.size() > 6 ? name.substr(6) : std::string_view();
    for (const xmlNs* ns = element->nsDef; ns != nullptr; ns = ns->next) {
        if (View(ns->prefix) == prefix) {
            return ns;
        }
    }
    return nullptr;
}

HRESULT ElementFailure(HRESULT code, std::string_view description) {
    return ReportFailure(code, IID_IXMLDOMElement, description);
}

}  // namespace

DomNode* DomNode::Create(DomDocument& owner, xmlNode* node) {
    auto* object = new DomNode(owner, node);
    node->_private = object;
    return object;
}

DomNode::DomNode(DomDocument& owner, xmlNode* node) noexcept
    : owner_(ComPtr<DomDocument>::Share(&owner)), node_(node) {}

DomNode::~DomNode() {
    owner_->NodeReleased(node_);
}

HRESULT DomNode::QueryInterface(REFIID riid, void** object) {
    if (object != nullptr && node_->type != XML_ELEMENT_NODE && riid == IID_IXMLDOMElement) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    return Implements::QueryInterface(riid, object);
}

HRESULT DomNode::getAttribute(BSTR name, VARIANT* value) try {
    if (value == nullptr) {
        return E_POINTER;
    }
    value->vt = VT_NULL;
    if (node_->type != XML_ELEMENT_NODE) {
        return ElementFailure(E_FAIL, "only elements have attributes");
    }
    const Utf8Text wanted(name);
    std::string text;
    if (const xmlAttr* attribute = FindAttribute(node_, wanted.view())) {
        for (const xmlNode* child = attribute->children; child != nullptr; child = child->next) {
            text.append(View(child->content));
        }
    } else if (const xmlNs* ns = IsNamespaceDeclaration(wanted.view())
                                     ? FindDeclaration(node_, wanted.view())
                                     : nullptr) {
        text = View(ns->href);
    } else {
        return S_FALSE;
    }
    value->bstrVal = ToBstr(text).detach();
    value->vt = VT_BSTR;
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

HRESULT DomNode::setAttribute(BSTR name, VARIANT value) try {
    if (node_->type != XML_ELEMENT_NODE) {
        return ElementFailure(E_FAIL, "only elements have attributes");
    }
    const Utf8Text qualified(name);
    if (qualified.empty() || xmlValidateQName(qualified.xml(), 0) != 0) {
        return ElementFailure(E_INVALIDARG, "the name is not an XML name");
    }
    if (IsNamespaceDeclaration(qualified.view())) {
        return ElementFailure(E_INVALIDARG, "namespace declarations cannot be set as attributes");
    }
    Variant converted;
    const VARIANT* text = &value;
    if (value.vt != VT_BSTR) {
        const HRESULT code = VariantChangeType(converted.get(), &value, 0, VT_BSTR);
        if (FAILED(code)) {
            return ElementFailure(code, "the value cannot be read as text");
        }
        text = converted.get();
    }
    const Utf8Text utf8(text->bstrVal);
    if (utf8.size() > 0x7FFFFFFFu) {
        throw std::bad_alloc();
    }
    if (xmlAttr* existing = FindAttribute(node_, qualified.view())) {
        SetAttributeValue(existing, utf8.c_str(), static_cast<int>(utf8.size()));
    } else if (xmlNewProp(node_, qualified.xml(), utf8.xml()) == nullptr) {
        throw std::bad_alloc();
    }
    return S_OK;
} catch (...) {
    return ResultFromCaughtException();
}

}  // namespace configdata
