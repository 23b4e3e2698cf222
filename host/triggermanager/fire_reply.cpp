#include "triggermanager/fire_reply.h"

#include <cstdio>

namespace {

void AppendCharacterReference(std::string& out, unsigned char c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "&#x%X;", static_cast<unsigned>(c));
    out += buffer;
}

}  // namespace

void AppendAttributeValue(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // White space other than a plain space would be normalised away by a parser;
                // other control characters only reach here from a database written elsewhere.
                if (static_cast<unsigned char>(c) < 0x20) {
                    AppendCharacterReference(out, static_cast<unsigned char>(c));
                } else {
                    out += c;
                }
        }
    }
}

std::string MatchedReply(const std::vector<std::string>& ids) {
    std::string reply = "<FireResult matched=\"" + std::to_string(ids.size()) + "\"";
    if (ids.empty()) {
        return reply + "/>";
    }
    reply += ">";
    for (const std::string& id : ids) {
        reply += "<Trigger id=\"";
        AppendAttributeValue(reply, id);
        reply += "\"/>";
    }
    return reply + "</FireResult>";
}

std::string SuspendedReply() {
    return "<FireResult suspended=\"true\" matched=\"0\"/>";
}

std::string RefusedReply(int depth) {
    return "<FireResult refused=\"loop\" depth=\"" + std::to_string(depth) + "\" matched=\"0\"/>";
}

std::string OverBudgetReply(LONG budget) {
    return "<FireResult refused=\"budget\" budget=\"" + std::to_string(budget) +
           "\" matched=\"0\"/>";
}
