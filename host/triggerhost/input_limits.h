// How much of its input the host takes as one request, and how much of a text it prints.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "configdata/markup_scan.h"
#include "configdata/safe_parser.h"

// The plug-in reads every request as a configuration document, so a larger request could only be
// refused there, after the host had held and copied all of it.
inline constexpr std::size_t kMaxRequestBytes = configdata::kMaxDocumentBytes;
// The same for the elements, attributes and other markup of one request: each costs the host a
// tree node while it reads the request from a scenario.
inline constexpr std::size_t kMaxRequestItems = configdata::kMaxMarkupItems;

// "16 MiB": the request limit as people read it.
std::string RequestLimitText();
// A size as people read it: whole mebibytes as "N MiB", anything else as "N bytes".
std::string SizeText(std::size_t bytes);

// How much one request of a scenario may take: bytes of input, and elements, attributes and
// other markup.
struct RequestBounds {
    std::size_t bytes = kMaxRequestBytes;
    std::size_t items = kMaxRequestItems;
};

// Texts printed longer than this are cut (see Shortened).
inline constexpr std::size_t kEchoBytes = 1024;

// The text as printed: whole when it has at most `limit` bytes, else its first `limit` bytes
// (back to the start of a UTF-8 character) followed by "… (<size> bytes)".
std::string Shortened(std::string_view text, std::size_t limit = kEchoBytes);
