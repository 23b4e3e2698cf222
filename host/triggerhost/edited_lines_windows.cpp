// The console's lines on Windows, where there is no libedit: the console itself edits a line
// and recalls earlier ones (arrow keys, F7), so the program only prompts and reads.
#include <windows.h>

#include <iostream>
#include <iterator>
#include <streambuf>

#include "companions/utf.h"
#include "line_source.h"

namespace {

// What is typed at the console, as UTF-8. Read as bytes, a line would come in the console's input
// code page and lose every character outside it; the console's wide reading holds them all.
class ConsoleInput final : public std::streambuf {
  public:
    explicit ConsoleInput(HANDLE console) : console_(console) {}

  protected:
    int_type underflow() override {
        while (gptr() == egptr()) {
            if (!Fill()) {
                return traits_type::eof();
            }
        }
        return traits_type::to_int_type(*gptr());
    }

  private:
    bool Fill() {
        if (ended_) {
            return false;
        }
        OLECHAR units[1024];
        DWORD count = 0;
        if (!ReadConsoleW(console_, units, static_cast<DWORD>(std::size(units)), &count, nullptr) ||
            count == 0) {
            ended_ = true;
            return false;
        }
        OleString text = std::move(pending_);
        pending_.clear();
        text.append(units, count);
        // Ctrl+Z at the start of a line ends the input, as it does for the C runtime's reading.
        if (atLineStart_ && text.front() == 0x1A) {
            ended_ = true;
            return false;
        }
        // Half of a surrogate pair waits for its other half.
        if (IS_HIGH_SURROGATE(text.back())) {
            pending_.assign(1, text.back());
            text.pop_back();
        }
        std::erase(text, OLECHAR{'\r'});
        if (!text.empty()) {
            atLineStart_ = text.back() == OLECHAR{'\n'};
        }
        bytes_ = ToUtf8(text);
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
        return true;
    }

    HANDLE console_;
    OleString pending_;
    std::string bytes_;
    bool atLineStart_ = true;
    bool ended_ = false;
};

class PromptedLines final : public LineSource {
  public:
    PromptedLines(std::istream& in, std::FILE* out, std::size_t maxBytes, const char* prompt)
        : out_(out), reader_(in, maxBytes), prompt_(prompt) {}

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

// A console's input, read wide; standard input as bytes when it is another kind of character
// device (the null device counts as a terminal for the C runtime).
class ConsoleLines final : public LineSource {
  public:
    ConsoleLines(HANDLE console, std::FILE* out, std::size_t maxBytes, const char* prompt)
        : buffer_(console), stream_(&buffer_), lines_(stream_, out, maxBytes, prompt) {}

    LineReader::Status Next(std::string& line) override { return lines_.Next(line); }
    std::size_t lineNumber() const noexcept override { return lines_.lineNumber(); }

  private:
    ConsoleInput buffer_;
    std::istream stream_;
    PromptedLines lines_;
};

}  // namespace

// `in` is standard input, which the program otherwise reads through std::cin alone.
std::unique_ptr<LineSource> OpenEditedLines(std::FILE* /*in*/, std::FILE* out, std::size_t maxBytes,
                                            const char* prompt) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input != INVALID_HANDLE_VALUE && input != nullptr && GetConsoleMode(input, &mode)) {
        return std::make_unique<ConsoleLines>(input, out, maxBytes, prompt);
    }
    return std::make_unique<PromptedLines>(std::cin, out, maxBytes, prompt);
}
