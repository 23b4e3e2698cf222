#include "fire_cases.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace {

template <std::size_t N>
std::string_view OneOf(Choices& choose, const std::array<std::string_view, N>& pieces) {
    return pieces[choose.Pick(N)];
}

// Names of the elements at each depth below the root, the same in conditions and data, so that
// paths meet; now and then any of them anywhere.
constexpr std::array<std::array<std::string_view, 2>, 3> kLevels = {
    {{"door", "job"}, {"name", "status"}, {"x", "status"}}};
constexpr std::array<std::string_view, 5> kAttributes = {"id", "state", "n", "kind", "x"};
// As XPath literals hold them (no escapes: "&amp;" is five characters there).
constexpr std::array<std::string_view, 10> kValues = {
    "front", "open", "failed", "5", "5.0", "", "\xC3\xA9t\xC3\xA9", "a&b", "&amp;", " front "};

// The pieces joined. (GCC's optimiser warns wrongly about "text" + std::string temporaries.)
template <class... Pieces>
std::string Cat(const Pieces&... pieces) {
    std::string out;
    (out.append(std::string_view(pieces)), ...);
    return out;
}

std::string Space(Choices& choose) {
    constexpr std::array<std::string_view, 6> kSpace = {"", "", "", " ", "\t", "\n "};
    return std::string(OneOf(choose, kSpace));
}

std::string Literal(Choices& choose) {
    const std::string_view value = OneOf(choose, kValues);
    const char quote =
        value.find('\'') == std::string_view::npos && choose.Pick(2) == 0 ? '\'' : '"';
    const std::string quotes(1, quote);
    return Cat(quotes, value, quotes);
}

// The name of an element `depth` below the root (0: the root).
std::string Name(Choices& choose, std::size_t depth) {
    if (choose.Pick(8) == 0) {
        constexpr std::array<std::string_view, 7> kAny = {"TriggerData", "door", "job",  "name",
                                                          "status",      "x",    "door2"};
        return std::string(OneOf(choose, kAny));
    }
    if (depth == 0) {
        return "TriggerData";
    }
    return std::string(OneOf(choose, kLevels[std::min(depth, kLevels.size()) - 1]));
}

// One conjunct of a predicate: mostly an equality the index reads, else something it must
// leave to the evaluation.
std::string Conjunct(Choices& choose, std::size_t depth) {
    const std::string literal = Literal(choose);
    const std::string attribute = Cat("@", Space(choose), OneOf(choose, kAttributes));
    const std::string eq = Cat(Space(choose), "=", Space(choose));
    switch (choose.Pick(24)) {
        case 0:
        case 1:
        case 2:
            return Cat(attribute, eq, literal);
        case 3:
            return Cat(literal, eq, attribute);
        case 4:
        case 5:
            return Cat(".", eq, literal);
        case 6:
            return Cat(literal, eq, ".");
        case 7:
        case 8:
            return Cat(Name(choose, depth + 1), eq, literal);
        case 9:
            return Cat(attribute, eq, "5");
        case 10:
            return Cat(attribute, "!=", literal);
        case 11:
            return Cat("not(", attribute, eq, literal, ")");
        case 12:
            return Cat("@p:id", eq, literal);
        case 13:
            return Cat("text()", eq, literal);
        case 14:
            return Cat("contains(.,", literal, ")");
        case 15:
            return Cat("count(", Name(choose, depth + 1), ") > 0");
        case 16:
            return Name(choose, depth + 1);
        case 17:
            return std::to_string(choose.Pick(3));
        case 18:
            return Cat(attribute, eq, literal, " or ", Conjunct(choose, depth));
        case 19:
            return Cat("(", attribute, eq, literal, " or ", attribute, ")");
        case 20:
            return Cat("1or ", attribute, eq, literal);
        case 21:
            return Cat(".5 = ", attribute);
        case 22:
            return Cat(attribute, " > 3");
        default:
            return Cat("p:", Name(choose, depth + 1), eq, literal);
    }
}

// A predicate on an element `depth` below the root.
std::string Predicate(Choices& choose, std::size_t depth) {
    std::string body = Space(choose) + Conjunct(choose, depth);
    for (std::size_t more = choose.Pick(3); more > 0; --more) {
        constexpr std::array<std::string_view, 5> kJoin = {" and ", " and ", "and ", " or ", " | "};
        body += Cat(OneOf(choose, kJoin), Conjunct(choose, depth));
    }
    return Cat("[", body, Space(choose), "]");
}

std::string Path(Choices& choose) {
    std::string path;
    const std::size_t steps = 1 + choose.Pick(3);
    for (std::size_t step = 0; step < steps; ++step) {
        constexpr std::array<std::string_view, 8> kSlash = {"/",   "/",  "/",  "/",
                                                            " / ", "/ ", "//", "/p:"};
        path += step == 0 || choose.Pick(8) != 0 ? std::string(OneOf(choose, kSlash)) : "/*/";
        path += Name(choose, step);
        for (std::size_t predicates = choose.Pick(4); predicates > 2; --predicates) {
            path += Predicate(choose, step);
        }
        if (choose.Pick(3) == 0) {
            path += Space(choose) + Predicate(choose, step);
        }
    }
    return path;
}

}  // namespace

std::string RandomCondition(Choices& choose) {
    switch (choose.Pick(12)) {
        case 0:
            return "";
        case 1:
            return Cat(Name(choose, 1), Predicate(choose, 1));  // relative to the root element
        case 2:
            return Cat("not(", Path(choose), ")");
        case 3:
            return Cat(Path(choose), " | ", Path(choose));
        case 4:
            return Cat("count(", Path(choose), ") > 1");
        case 5:
            return Cat(Path(choose), "/@", OneOf(choose, kAttributes));
        case 6:
            return Cat(Path(choose), "[", std::to_string(1 + choose.Pick(2)), "]");
        case 7:
            return Cat(Path(choose), " = ", Literal(choose));
        default:
            return Cat(Space(choose), Path(choose), Space(choose));
    }
}

namespace {

// `value` as XML text: escaped, and written in one of the ways that read back the same.
std::string Written(Choices& choose, std::string_view value, bool inAttribute) {
    if (!inAttribute && value.find("]]>") == std::string_view::npos && choose.Pick(5) == 0) {
        return Cat("<![CDATA[", value, "]]>");
    }
    std::string out;
    for (const char c : value) {
        switch (c) {
            case '&':
                out += choose.Pick(2) == 0 ? "&amp;" : "&#38;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case 'o':
                out += choose.Pick(4) == 0 ? "&#x6F;" : "o";
                break;
            default:
                out += c;
        }
    }
    // Text may come in pieces that XPath joins, around a comment or a CDATA section.
    if (!inAttribute && out.size() > 1 && choose.Pick(4) == 0) {
        const std::size_t cut = out.find_first_of("&") == std::string::npos ? out.size() / 2 : 0;
        out.insert(cut, choose.Pick(2) == 0 ? "<!--c-->" : "<![CDATA[]]>");
    }
    return out;
}

void AppendElement(Choices& choose, std::string& out, std::size_t depth) {
    std::string name = choose.Pick(6) == 0 ? "p:" : "";
    name += Name(choose, depth);
    out += Cat("<", name);
    if (depth == 0 || choose.Pick(8) == 0) {
        out += " xmlns:p=\"urn:p\"";
    }
    if (choose.Pick(10) == 0) {
        out += " xmlns=\"urn:default\"";
    }
    std::vector<std::string_view> used;
    for (std::size_t attributes = choose.Pick(4); attributes > 0; --attributes) {
        const std::string_view attribute = OneOf(choose, kAttributes);
        if (std::find(used.begin(), used.end(), attribute) != used.end()) {
            continue;
        }
        used.push_back(attribute);
        out += Cat(choose.Pick(6) == 0 ? " p:" : " ", attribute, "=\"",
                   Written(choose, OneOf(choose, kValues), true), "\"");
    }
    const std::size_t children = depth < 3 ? choose.Pick(5 - depth) : 0;
    const bool text = choose.Pick(2) == 0;
    if (children == 0 && !text) {
        out += "/>";
        return;
    }
    out += ">";
    if (text) {
        out += Written(choose, OneOf(choose, kValues), false);
    }
    for (std::size_t child = 0; child < children; ++child) {
        AppendElement(choose, out, depth + 1);
        if (choose.Pick(5) == 0) {
            out += choose.Pick(2) == 0 ? "  " : Written(choose, OneOf(choose, kValues), false);
        }
    }
    out += Cat("</", name, ">");
}

std::string Joined(const std::vector<std::string>& ids) {
    std::string text;
    for (const std::string& id : ids) {
        text += Cat(" ", id);
    }
    return text;
}

}  // namespace

std::string RandomDocument(Choices& choose) {
    std::string out = choose.Pick(2) == 0 ? "<?xml version=\"1.0\"?> " : "";
    AppendElement(choose, out, 0);
    return out;
}

std::string DifferenceOfMatching(const TriggerRegistry& registry, IConfigDocument* document) {
    const TriggerRegistry::Matches indexed = registry.Matching(document);
    const TriggerRegistry::Matches every = registry.MatchingEveryTrigger(document);
    if (indexed.matched != every.matched) {
        return Cat("matched:", Joined(indexed.matched), "; evaluating all:", Joined(every.matched));
    }
    if (!std::includes(every.outOfWork.begin(), every.outOfWork.end(), indexed.outOfWork.begin(),
                       indexed.outOfWork.end())) {
        return Cat("out of work:", Joined(indexed.outOfWork),
                   "; evaluating all:", Joined(every.outOfWork));
    }
    return {};
}
