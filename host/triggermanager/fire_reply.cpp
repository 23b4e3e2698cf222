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

namespace {

void AppendElements(std::string& reply, const char* name, const std::vector<std::string>& ids) {
    for (const std::string& id : ids) {
        reply += "<";
        reply += name;
        reply += " id=\"";
        AppendAttributeValue(reply, id);
        reply += "\"/>";
    }
}

}  // namespace

std::string MatchedReply(const std::vector<std::string>& ids,
                         const std::vector<std::string>& outOfWork) {
    std::string reply = "<FireResult matched=\"" + std::to_string(ids.size()) + "\"";
    if (!outOfWork.empty()) {
        reply += " exhausted=\"" + std::to_string(outOfWork.size()) + "\"";
    }
    if (ids.empty() && outOfWork.empty()) {
        return reply + "/>";
    }
    reply += ">";
    AppendElements(reply, "Trigger", ids);
    AppendElements(reply, "Exhausted", outOfWork);
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
