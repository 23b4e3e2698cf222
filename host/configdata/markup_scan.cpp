#include "configdata/markup_scan.h"

#include <array>
#include <cstdint>

namespace configdata {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool StartsWith(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.substr(at, prefix.size()) == prefix;
}

// Where the construct that starts at `at` ends (just past `terminator`), or the end of the text.
std::size_t SkipPast(std::string_view text, std::size_t at, std::string_view terminator) {
    const std::size_t end = text.find(terminator, at);
    return end == std::string_view::npos ? text.size() : end + terminator.size();
}

// The attribute name that ends just before the '=' at `equals`, spaces allowed between them.
std::string_view NameBefore(std::string_view text, std::size_t tagStart, std::size_t equals) {
    std::size_t end = equals;
    while (end > tagStart && IsSpace(text[end - 1])) {
        --end;
    }
    std::size_t start = end;
    while (start > tagStart && !IsSpace(text[start - 1]) && text[start - 1] != '"' &&
           text[start - 1] != '\'') {
        --start;
    }
    return text.substr(start, end - start);
}

bool IsNamespaceDeclaration(std::string_view name) {
    return name == "xmlns" || StartsWith(name, 0, "xmlns:");
}

struct Tag {
    std::size_t end = 0;  // just past the tag
    std::size_t attributes = 0;
    std::size_t namespaces = 0;
    bool closing = false;
    bool selfClosing = false;
};

// Reads the start or end tag at `at`. It ends at '>' outside quotes or, in text that is not
// well-formed, at the next '<', which no attribute value may hold: the scan and the parser then
// agree again on where the next tag starts.
Tag ReadTag(std::string_view text, std::size_t at) {
    Tag tag;
    tag.closing = StartsWith(text, at, "</");
    char quote = 0;
    std::size_t i = at + 1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<') {
            tag.end = i;
            return tag;
        }
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '=') {
            ++tag.attributes;
            if (IsNamespaceDeclaration(NameBefore(text, at, i))) {
                ++tag.namespaces;
            }
        } else if (c == '>') {
            tag.selfClosing = text[i - 1] == '/';
            tag.end = i + 1;
            return tag;
        }
    }
    tag.end = i;
    return tag;
}

}  // namespace

const char* MarkupLimitExceeded(std::string_view text) noexcept {
    // Namespace declarations made by each open element; the depth limit bounds the stack.
    std::array<std::uint16_t, kMaxParsedDepth + 1> declared{};
    std::size_t depth = 0;
    std::size_t inScope = 0;
    std::size_t items = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('<', i);
        if (open == std::string_view::npos) {
            break;
        }
        if (++items > kMaxMarkupItems) {
            return "the text holds more markup than the limit allows";
        }
        if (StartsWith(text, open, "<!--")) {
            i = SkipPast(text, open + 4, "-->");
        } else if (StartsWith(text, open, "<![CDATA[")) {
            i = SkipPast(text, open + 9, "]]>");
        } else if (StartsWith(text, open, "<?")) {
            i = SkipPast(text, open + 2, "?>");
        } else if (StartsWith(text, open, "<!")) {
            i = open + 2;
        } else {
            const Tag tag = ReadTag(text, open);
            i = tag.end;
            if (tag.attributes > kMaxAttributesPerElement) {
                return "an element has more attributes than the limit allows";
            }
            items += tag.attributes;
            if (items > kMaxMarkupItems) {
                return "the text holds more markup than the limit allows";
            }
            if (tag.closing) {
                if (depth > 0) {
                    --depth;
                    inScope -= declared[depth];
                }
                continue;
            }
            inScope += tag.namespaces;
            if (inScope > kMaxNamespacesInScope) {
                return "more namespace declarations are in scope than the limit allows";
            }
            if (tag.selfClosing) {
                inScope -= tag.namespaces;
                continue;
            }
            if (depth == kMaxParsedDepth) {
                return "elements are nested deeper than the limit allows";
            }
            declared[depth] = static_cast<std::uint16_t>(tag.namespaces);
            ++depth;
        }
    }
    return nullptr;
}

}  // namespace configdata
