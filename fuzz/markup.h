// Building request texts from fuzz input: what goes into an attribute or text is escaped, so a
// request is malformed only where a target means it to be.
#pragma once

#include <string>
#include <string_view>

// The text with & < and > replaced by their entity references, as text content is written.
std::string EscapeText(std::string_view text);

// The text with " escaped too, for an attribute value.
std::string EscapeMarkup(std::string_view text);

// An attribute written as ` name="value"`, the value escaped.
std::string MarkupAttribute(std::string_view name, std::string_view value);
