#include "configdata/element_walk.h"

#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace configdata {
namespace {

std::string_view TextOf(const xmlChar* text) {
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text))
                           : std::string_view();
}

struct XmlFree {
    void operator()(xmlChar* text) const noexcept { xmlFree(text); }
};

class Walk {
  public:
    explicit Walk(IConfigDataElementVisitor& visitor) : visitor_(visitor) {}

    void From(xmlNode* node) {
        while (true) {
            if (node == nullptr) {
                if (open_.empty()) {
                    return;
                }
                node = Leave();
                continue;
            }
            if (node->type == XML_ELEMENT_NODE && Enter(node)) {
                node = node->children;
                continue;
            }
            if (wanting_ != 0) {
                Read(*node);
            }
            node = node->next;
        }
    }

  private:
    struct Open {
        xmlNode* element;
        void* handle;           // null: the visitor did not take it
        std::size_t textStart;  // where its string value begins in text_
        bool wantsText;
        bool exact;
    };

    // Whether anything inside the element matters: the visitor took it, or an element around
    // it wants its string value.
    bool Enter(xmlNode* element) {
        const bool parentTaken = open_.empty() || open_.back().handle != nullptr;
        void* handle = nullptr;
        if (parentTaken && element->ns == nullptr) {
            const std::string_view name = TextOf(element->name);
            handle = visitor_.EnterElement(open_.empty() ? nullptr : open_.back().handle,
                                           name.data(), name.size());
        }
        if (handle == nullptr && wanting_ == 0) {
            return false;
        }
        bool wantsText = false;
        if (handle != nullptr) {
            ReportAttributes(element, handle);
            wantsText = visitor_.WantsStringValue(handle) != FALSE;
        }
        open_.push_back(Open{element, handle, text_.size(), wantsText, true});
        wanting_ += wantsText ? 1 : 0;
        return true;
    }

    // Leaves the innermost open element; the node to go on with.
    xmlNode* Leave() {
        const Open left = open_.back();
        open_.pop_back();
        if (left.wantsText) {
            const std::string_view value = std::string_view(text_).substr(left.textStart);
            visitor_.StringValue(left.handle, left.exact ? value.data() : nullptr, value.size());
            if (--wanting_ == 0) {
                text_.clear();
            }
        }
        return left.element->next;
    }

    void ReportAttributes(xmlNode* element, void* handle) {
        for (xmlAttr* attribute = element->properties; attribute != nullptr;
             attribute = attribute->next) {
            if (attribute->ns != nullptr && attribute->ns->href != nullptr) {
                continue;
            }
            const std::string_view name = TextOf(attribute->name);
            const xmlNode* only = attribute->children;
            if (only == nullptr || (only->next == nullptr && only->type == XML_TEXT_NODE)) {
                const std::string_view value = only != nullptr ? TextOf(only->content) : "";
                visitor_.Attribute(handle, name.data(), name.size(), value.data(), value.size());
                continue;
            }
            // Several pieces (or an entity reference): the value as XPath reads it.
            const std::unique_ptr<xmlChar, XmlFree> joined(
                xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute)));
            if (!joined) {
                throw std::bad_alloc();
            }
            const std::string_view value = TextOf(joined.get());
            visitor_.Attribute(handle, name.data(), name.size(), value.data(), value.size());
        }
    }

    // A node other than an entered element while some open element wants its string value.
    void Read(const xmlNode& node) {
        switch (node.type) {
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
                text_ += TextOf(node.content);
                break;
            case XML_COMMENT_NODE:
            case XML_PI_NODE:
                break;
            default:
                // What such a node adds to a string value is not read here: the values of the
                // elements around it are left open to anything.
                for (Open& open : open_) {
                    open.exact = false;
                }
        }
    }

    IConfigDataElementVisitor& visitor_;
    std::vector<Open> open_;
    std::size_t wanting_ = 0;  // open elements whose string values are wanted
    std::string text_;         // the text inside the outermost of them, read so far
};

}  // namespace

void WalkElements(xmlDoc* document, IConfigDataElementVisitor& visitor) {
    Walk(visitor).From(document->children);
}

}  // namespace configdata
