#include "configdata/xml_writer.h"

#include <string_view>

namespace configdata {
namespace {

std::string_view View(const xmlChar* text) {
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text))
                           : std::string_view();
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

enum class Context { Text, Attribute };

// Appends `text` escaped for its context. Runs of plain bytes are copied in one piece.
void AppendEscaped(std::string& out, std::string_view text, Context context) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::string_view replacement;
        std::size_t consumed = 1;
        switch (c) {
            case '&':
                replacement = "&amp;";
                break;
            case '<':
                replacement = "&lt;";
                break;
            case '>':
                replacement = "&gt;";
                break;
            case '"':
                replacement = context == Context::Attribute ? "&quot;" : std::string_view();
                break;
            case '\r':
                replacement = "&#13;";
                break;
            case '\n':
                replacement = context == Context::Attribute ? "&#10;" : std::string_view();
                break;
            case '\t':
                replacement = context == Context::Attribute ? "&#9;" : std::string_view();
                break;
            case 0xEF:
                // U+FFFE and U+FFFF, EF BF BE and EF BF BF, are no XML characters.
                if (i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                    static_cast<unsigned char>(text[i + 2]) >= 0xBE) {
                    replacement = kReplacement;
                    consumed = 3;
                }
                break;
            default:
                if (c < 0x20) {
                    replacement = kReplacement;
                }
                break;
        }
        if (replacement.empty()) {
            continue;
        }
        out.append(text.substr(plain, i - plain));
        out.append(replacement);
        i += consumed - 1;
        plain = i + 1;
    }
    out.append(text.substr(plain));
}

void AppendQualifiedName(std::string& out, const xmlNs* ns, const xmlChar* name) {
    if (ns != nullptr && ns->prefix != nullptr) {
        out.append(View(ns->prefix));
        out.push_back(':');
    }
    out.append(View(name));
}

void AppendAttributeValue(std::string& out, const xmlAttr* attribute) {
    for (const xmlNode* child = attribute->children; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE) {
            AppendEscaped(out, View(child->content), Context::Attribute);
        }
    }
}

void AppendAttribute(std::string& out, const xmlAttr* attribute) {
    AppendQualifiedName(out, attribute->ns, attribute->name);
    out.append("=\"");
    AppendAttributeValue(out, attribute);
    out.push_back('"');
}

void AppendStartTag(std::string& out, const xmlNode* element) {
    out.push_back('<');
    AppendQualifiedName(out, element->ns, element->name);
    for (const xmlNs* ns = element->nsDef; ns != nullptr; ns = ns->next) {
        out.append(ns->prefix != nullptr ? " xmlns:" : " xmlns");
        out.append(View(ns->prefix));
        out.append("=\"");
        AppendEscaped(out, View(ns->href), Context::Attribute);
        out.push_back('"');
    }
    for (const xmlAttr* attribute = element->properties; attribute != nullptr;
         attribute = attribute->next) {
        out.push_back(' ');
        AppendAttribute(out, attribute);
    }
}

void AppendEndTag(std::string& out, const xmlNode* element) {
    out.append("</");
    AppendQualifiedName(out, element->ns, element->name);
    out.push_back('>');
}

// A comment may not hold "--" nor end with "-"; text put into one is spaced apart to fit.
void AppendComment(std::string& out, std::string_view text) {
    out.append("<!--");
    for (std::size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == '-' && (i + 1 == text.size() || text[i + 1] == '-')) {
            out.push_back(' ');
        }
    }
    out.append("-->");
}

// A CDATA section ends at the first "]]>"; text put into one that holds it is split in two.
void AppendCdata(std::string& out, std::string_view text) {
    out.append("<![CDATA[");
    for (std::size_t end = text.find("]]>"); end != std::string_view::npos;
         end = text.find("]]>")) {
        out.append(text.substr(0, end + 2));
        out.append("]]><![CDATA[");
        text.remove_prefix(end + 2);
    }
    out.append(text);
    out.append("]]>");
}

// Everything but the children of an element: those the walk in AppendNodeXml takes care of.
void AppendLeaf(std::string& out, const xmlNode* node) {
    switch (node->type) {
        case XML_ELEMENT_NODE:
            AppendStartTag(out, node);
            out.append("/>");
            break;
        case XML_TEXT_NODE:
            AppendEscaped(out, View(node->content), Context::Text);
            break;
        case XML_CDATA_SECTION_NODE:
            AppendCdata(out, View(node->content));
            break;
        case XML_COMMENT_NODE:
            AppendComment(out, View(node->content));
            break;
        case XML_PI_NODE:
            out.append("<?");
            out.append(View(node->name));
            if (node->content != nullptr && node->content[0] != 0) {
                out.push_back(' ');
                out.append(View(node->content));
            }
            out.append("?>");
            break;
        case XML_ENTITY_REF_NODE:
            out.push_back('&');
            out.append(View(node->name));
            out.push_back(';');
            break;
        case XML_ATTRIBUTE_NODE:
            AppendAttribute(out, reinterpret_cast<const xmlAttr*>(node));
            break;
        default:
            break;
    }
}

// Walks the subtree iteratively: trees built through the DOM may be deeper than any stack.
void AppendSubtree(std::string& out, const xmlNode* top) {
    const xmlNode* node = top;
    while (true) {
        if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
            AppendStartTag(out, node);
            out.push_back('>');
            node = node->children;
            continue;
        }
        AppendLeaf(out, node);
        while (node != top && node->next == nullptr) {
            node = node->parent;
            AppendEndTag(out, node);
        }
        if (node == top) {
            return;
        }
        node = node->next;
    }
}

void AppendDeclaration(std::string& out, const xmlDoc* document) {
    out.append("<?xml version=\"");
    out.append(document->version != nullptr ? View(document->version) : "1.0");
    out.push_back('"');
    if (document->encoding != nullptr) {
        out.append(" encoding=\"");
        out.append(View(document->encoding));
        out.push_back('"');
    }
    if (document->standalone == 0 || document->standalone == 1) {
        out.append(document->standalone == 1 ? " standalone=\"yes\"" : " standalone=\"no\"");
    }
    out.append("?>");
}

void AppendDocument(std::string& out, const xmlDoc* document) {
    // libxml2 keeps standalone at -1 when the text had no declaration at all.
    bool first = true;
    if (document->standalone != -1) {
        AppendDeclaration(out, document);
        first = false;
    }
    for (const xmlNode* child = document->children; child != nullptr; child = child->next) {
        if (child->type == XML_DTD_NODE) {
            continue;
        }
        if (!first) {
            out.push_back('\n');
        }
        AppendSubtree(out, child);
        first = false;
    }
}

}  // namespace

void AppendNodeXml(std::string& out, const xmlNode* node) {
    if (node->type == XML_DOCUMENT_NODE) {
        AppendDocument(out, reinterpret_cast<const xmlDoc*>(node));
    } else {
        AppendSubtree(out, node);
    }
}

void AppendNodeText(std::string& out, const xmlNode* node) {
    switch (node->type) {
        case XML_ELEMENT_NODE:
        case XML_DOCUMENT_NODE:
        case XML_DOCUMENT_FRAG_NODE:
            break;
        case XML_ATTRIBUTE_NODE:
            for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
                out.append(View(child->content));
            }
            return;
        default:
            out.append(View(node->content));
            return;
    }
    const xmlNode* current = node->children;
    while (current != nullptr) {
        if (current->type == XML_TEXT_NODE || current->type == XML_CDATA_SECTION_NODE) {
            out.append(View(current->content));
        }
        if (current->type == XML_ELEMENT_NODE && current->children != nullptr) {
            current = current->children;
            continue;
        }
        while (current != node && current->next == nullptr) {
            current = current->parent;
        }
        current = current != node ? current->next : nullptr;
    }
}

}  // namespace configdata
