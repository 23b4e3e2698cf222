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

std::string Predicate(Choices& choose, std::size_t depth);
std::string Path(Choices& choose);

// `pattern` with each capital replaced by a piece drawn for it: A an attribute, Q an equals
// sign, L a literal, N a child element's name, P a path, R a predicate, S white space.
std::string Expand(Choices& choose, std::string_view pattern, std::size_t depth) {
    std::string out;
    for (const char c : pattern) {
        switch (c) {
            case 'A':
                out += Cat("@", Space(choose), OneOf(choose, kAttributes));
                break;
            case 'Q':
                out += Cat(Space(choose), "=", Space(choose));
                break;
            case 'L':
                out += Literal(choose);
                break;
            case 'N':
                out += Name(choose, depth + 1);
                break;
            case 'P':
                out += Path(choose);
                break;
            case 'R':
                out += Predicate(choose, depth);
                break;
            case 'S':
                out += Space(choose);
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A predicate on an element `depth` below the root: conjuncts that are mostly equalities the
// index reads, else something it must leave to the evaluation.
std::string Predicate(Choices& choose, std::size_t depth) {
    constexpr std::array<std::string_view, 24> kConjuncts = {
        "AQL",        "AQL",        "AQL",           "LQA",          ".QL",   ".QL",
        "LQ.",        "NQL",        "NQL",           "AQ5",          "A!=L",  "not(AQL)",
        "@p:idQL",    "text()QL",   "contains(.,L)", "count(N) > 0", "N",     "1",
        "AQL or AQL", "(AQL or A)", "1or AQL",       ".5 = A",       "A > 3", "p:NQL"};
    constexpr std::array<std::string_view, 5> kJoin = {" and ", " and ", "and ", " or ", " | "};
    std::string body = Expand(choose, OneOf(choose, kConjuncts), depth);
    for (std::size_t more = choose.Pick(3); more > 0; --more) {
        body += Cat(OneOf(choose, kJoin), Expand(choose, OneOf(choose, kConjuncts), depth));
    }
    return Cat("[", Space(choose), body, Space(choose), "]");
}

std::string Path(Choices& choose) {
    constexpr std::array<std::string_view, 9> kSlash = {"/",   "/",  "/",  "/",  "/",
                                                        " / ", "/ ", "//", "/p:"};
    std::string path;
    for (std::size_t step = 0, steps = 1 + choose.Pick(3); step < steps; ++step) {
        path += step != 0 && choose.Pick(8) == 0 ? "/*/" : OneOf(choose, kSlash);
        path += Name(choose, step);
        for (std::size_t predicates = choose.Pick(5); predicates > 2; --predicates) {
            path += Expand(choose, "SR", step);
        }
    }
    return path;
}

}  // namespace

std::string RandomCondition(Choices& choose) {
    constexpr std::array<std::string_view, 12> kConditions = {
        "",     "NR",    "not(P)", "P | P", "count(P) > 1", "P/A",
        "P[1]", "P = L", "SPS",    "SPS",   "SPS",          "SPS"};
    return Expand(choose, OneOf(choose, kConditions), 0);
}

namespace {

// `value` as XML text: escaped, and written in one of the ways that read back the same, in
// pieces XPath joins (around a comment or an empty CDATA section) or in a CDATA section.
std::string Written(Choices& choose, std::string_view value, bool inAttribute) {
    if (!inAttribute && choose.Pick(5) == 0) {
        return Cat("<![CDATA[", value, "]]>");
    }
    std::string out;
    for (const char c : value) {
        constexpr std::array<std::string_view, 4> kAmpersand = {"&amp;", "&#38;", "&#x26;",
                                                                "&amp;"};
        out += c == '&'                          ? OneOf(choose, kAmpersand)
               : c == '<'                        ? "&lt;"
               : c == 'o' && choose.Pick(4) == 0 ? "&#x6F;"
                                                 : std::string_view(&c, 1);
    }
    if (!inAttribute && choose.Pick(4) == 0) {
        out.insert(out.find('&') == std::string::npos ? out.size() / 2 : 0,
                   choose.Pick(2) == 0 ? "<!--c-->" : "<![CDATA[]]>");
    }
    return out;
}

void AppendElement(Choices& choose, std::string& out, std::size_t depth) {
    const std::string name = Cat(choose.Pick(6) == 0 ? "p:" : "", Name(choose, depth));
    out += Cat("<", name, depth == 0 || choose.Pick(8) == 0 ? " xmlns:p='urn:p'" : "",
               choose.Pick(10) == 0 ? " xmlns='urn:default'" : "");
    for (std::size_t attribute = 0; attribute < kAttributes.size(); ++attribute) {
        if (choose.Pick(3) == 0) {
            out += Cat(choose.Pick(6) == 0 ? " p:" : " ", kAttributes[attribute], "=\"",
                       Written(choose, OneOf(choose, kValues), true), "\"");
        }
    }
    out += ">";
    if (choose.Pick(2) == 0) {
        out += Written(choose, OneOf(choose, kValues), false);
    }
    for (std::size_t child = depth < 3 ? choose.Pick(5 - depth) : 0; child > 0; --child) {
        AppendElement(choose, out, depth + 1);
        if (choose.Pick(5) == 0) {  // mixed content, or white space alone
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
