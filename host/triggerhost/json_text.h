// One JSON object on one line, for scripts that read the host's output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Appends the text as a JSON string: quotes and backslashes escaped, control characters as
// \uXXXX (or their short forms), other characters as UTF-8, and bytes that are not UTF-8 as
// U+FFFD, so the line is always valid JSON in valid UTF-8.
void AppendJsonString(std::string& out, std::string_view text);

class JsonObject {
  public:
    JsonObject& Text(std::string_view key, std::string_view value);
    JsonObject& Number(std::string_view key, std::int64_t value);
    JsonObject& Flag(std::string_view key, bool value);
    JsonObject& List(std::string_view key, const std::vector<std::string>& values);
    // "{...}", no line break.
    std::string Line() const;

  private:
    void Key(std::string_view key);
    std::string members_;
};
