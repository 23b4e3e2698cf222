#include "markup.h"

namespace {

std::string Escape(std::string_view text, bool quotes) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += quotes ? "&quot;" : "\"";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string EscapeText(std::string_view text) {
    return Escape(text, false);
}

std::string EscapeMarkup(std::string_view text) {
    return Escape(text, true);
}

std::string MarkupAttribute(std::string_view name, std::string_view value) {
    std::string attribute = " ";
    attribute.append(name);
    attribute += "=\"";
    attribute += EscapeMarkup(value);
    attribute += '"';
    return attribute;
}
