// Shared helpers of the configuration-data tests: documents from the real library, and short
// ways to call the DOM with UTF-8 text.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/config_document.h"
#include "companions/utf.h"
#include "configdata/configdata_host.h"

namespace configdata_test {

// Names each case of a parameterised test after its `name` field.
struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& parameter) const {
        return parameter.param.name;
    }
};

inline std::string Repeat(const std::string& piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

inline Bstr B(std::string_view utf8) {
    return ToBstr(utf8);
}

inline std::string Utf8(const Bstr& text) {
    return ToUtf8(text.view());
}

inline ComPtr<IConfigDocument> NewConfigDocument() {
    ComPtr<IConfigDocument> document;
    EXPECT_EQ(CreateConfigDocument(document.put()), S_OK);
    return document;
}

inline ComPtr<IXMLDOMDocument> DomOf(const ComPtr<IConfigDocument>& document) {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(document->GetDocument(unknown.put()), S_OK);
    return unknown.As<IXMLDOMDocument>();
}

inline ComPtr<IXMLDOMDocument> NewDom() {
    return DomOf(NewConfigDocument());
}

// A DOM document loaded with `xml`; the test fails when it does not load.
inline ComPtr<IXMLDOMDocument> LoadedDom(std::string_view xml) {
    ComPtr<IXMLDOMDocument> dom = NewDom();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    EXPECT_EQ(dom->loadXML(B(xml).get(), &loaded), S_OK) << xml;
    EXPECT_EQ(loaded, VARIANT_TRUE) << xml;
    return dom;
}

template <class Node>
std::string XmlOf(const ComPtr<Node>& node) {
    Bstr xml;
    EXPECT_EQ(node->get_xml(xml.put()), S_OK);
    return Utf8(xml);
}

template <class Node>
std::string TextOf(const ComPtr<Node>& node) {
    Bstr text;
    EXPECT_EQ(node->get_text(text.put()), S_OK);
    return Utf8(text);
}

inline ComPtr<IXMLDOMElement> RootOf(const ComPtr<IXMLDOMDocument>& dom) {
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(dom->get_documentElement(root.put()), S_OK);
    return root;
}

inline ComPtr<IXMLDOMNode> Select(const ComPtr<IXMLDOMNode>& context, std::string_view query) {
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(context->selectSingleNode(B(query).get(), node.put()), S_OK) << query;
    return node;
}

inline ComPtr<IXMLDOMElement> NewElement(const ComPtr<IXMLDOMDocument>& dom,
                                         std::string_view name) {
    ComPtr<IXMLDOMNode> node;
    VARIANT type;
    type.vt = VT_I4;
    type.lVal = NODE_ELEMENT;
    EXPECT_EQ(dom->createNode(type, B(name).get(), B("").get(), node.put()), S_OK);
    return node.As<IXMLDOMElement>();
}

// The description the last failing call left in the thread's error information.
inline std::string LastErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return {};
    }
    Bstr description;
    info->GetDescription(description.put());
    return Utf8(description);
}

// The reference count left after one AddRef and Release: what the object holds apart from us.
template <class Interface>
ULONG OtherReferences(Interface* object) {
    object->AddRef();
    return object->Release() - 1;
}

}  // namespace configdata_test
