// Parsing text that nobody vouches for: requests, stored actions and trigger data arrive from
// outside the process.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "companions/ole_string.h"

namespace configdata {

// Bigger text is refused before any of it is converted or parsed.
inline constexpr std::size_t kMaxDocumentBytes = 16u * 1024u * 1024u;

struct XmlDocDeleter {
    void operator()(xmlDoc* document) const noexcept { xmlFreeDoc(document); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocDeleter>;

struct ParseOutcome {
    XmlDocPtr document;  // null when the text was refused
    std::string error;   // why, when it was
};

// Parses UTF-16 text into a document with a root element. Refused: empty text, text over
// kMaxDocumentBytes, text that is not well-formed, any document type declaration (which alone
// closes external entities and entity expansion), and markup past the limits of markup_scan.h.
// Nothing is fetched, whatever the text names. The encoding a declaration names is recorded and
// otherwise ignored: the text is Unicode already. White-space-only text is dropped as the platform
// DOM drops it (white_space.h). Raises std::bad_alloc only.
ParseOutcome ParseUntrusted(OleStringView text);

}  // namespace configdata
