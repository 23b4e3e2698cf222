// A linear look at untrusted text before libxml2 parses it. libxml2 checks every attribute of an
// element against the ones before it and looks namespace prefixes up through every declaration in
// scope, so text with thousands of attributes on one element, or hundreds of namespace
// declarations stacked over many elements, costs it quadratic time: a 1 MB text can keep a thread
// busy for seconds. Such text is refused here instead, and so is text whose tree would be far
// bigger than the text itself.
#pragma once

#include <cstddef>
#include <string_view>

namespace configdata {

inline constexpr std::size_t kMaxAttributesPerElement = 256;
inline constexpr std::size_t kMaxNamespacesInScope = 64;
// libxml2 itself stops at about this depth; refusing here as well makes the limit one number.
inline constexpr std::size_t kMaxParsedDepth = 256;
// Markup constructs (tags, comments, instructions, CDATA) and attributes together. Each becomes a
// node or two of about a hundred bytes, so 16 MiB of `<a/>` would otherwise build half a
// gigabyte of tree; this keeps a document's tree within a few hundred megabytes.
inline constexpr std::size_t kMaxMarkupItems = 1'000'000;

// Null when the text stays within the limits above, else why it does not. Only an upper bound
// is needed: text that is not well-formed may be judged either way, as the parser refuses it.
const char* MarkupLimitExceeded(std::string_view text) noexcept;

}  // namespace configdata
