// The console's lines on Windows, where there is no libedit: the console itself edits a line
// and recalls earlier ones (arrow keys, F7), so the program only prompts and reads.
#include <iostream>

#include "line_source.h"

namespace {

class PromptedLines final : public LineSource {
  public:
    PromptedLines(std::FILE* out, std::size_t maxBytes, const char* prompt)
        : out_(out), reader_(std::cin, maxBytes), prompt_(prompt) {}

    LineReader::Status Next(std::string& line) override {
        std::fputs(prompt_.c_str(), out_);
        std::fflush(out_);
        return reader_.Next(line);
    }
    std::size_t lineNumber() const noexcept override { return reader_.lineNumber(); }

  private:
    std::FILE* out_;
    LineReader reader_;
    std::string prompt_;
};

}  // namespace

// `in` is standard input, which the program reads through std::cin alone.
std::unique_ptr<LineSource> OpenEditedLines(std::FILE* /*in*/, std::FILE* out, std::size_t maxBytes,
                                            const char* prompt) {
    return std::make_unique<PromptedLines>(out, maxBytes, prompt);
}
