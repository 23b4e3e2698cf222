// The terminal's lines through libedit.
#include <histedit.h>

#include <stdexcept>

#include "line_source.h"

namespace {

constexpr int kRememberedLines = 500;

class EditedLines final : public LineSource {
  public:
    EditedLines(std::FILE* in, std::FILE* out, std::size_t maxBytes, const char* prompt)
        : maxBytes_(maxBytes), prompt_(prompt) {
        history_ = history_init();
        editor_ = el_init("triggerhost", in, out, stderr);
        if (history_ == nullptr || editor_ == nullptr) {
            Release();
            throw std::runtime_error("the terminal cannot be set up for line editing");
        }
        HistEvent event;
        history(history_, &event, H_SETSIZE, kRememberedLines);
        // A line typed twice in a row is remembered once.
        history(history_, &event, H_SETUNIQUE, 1);
        el_set(editor_, EL_CLIENTDATA, this);
        el_set(editor_, EL_PROMPT, &EditedLines::Prompt);
        el_set(editor_, EL_EDITOR, "emacs");
        el_set(editor_, EL_HIST, history, history_);
        // The terminal is put back as it was when a signal ends the program mid-line.
        el_set(editor_, EL_SIGNAL, 1);
    }
    ~EditedLines() override { Release(); }
    EditedLines(const EditedLines&) = delete;
    EditedLines& operator=(const EditedLines&) = delete;

    LineReader::Status Next(std::string& line) override {
        line.clear();
        int count = 0;
        const char* read = el_gets(editor_, &count);
        if (read == nullptr || count <= 0) {
            return LineReader::Status::End;
        }
        ++lineNumber_;
        std::string_view text(read, static_cast<std::size_t>(count));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.remove_suffix(1);
        }
        if (text.size() > maxBytes_) {
            return LineReader::Status::TooLong;
        }
        line.assign(text);
        if (!line.empty()) {
            HistEvent event;
            history(history_, &event, H_ENTER, line.c_str());
        }
        return LineReader::Status::Line;
    }
    std::size_t lineNumber() const noexcept override { return lineNumber_; }

  private:
    static char* Prompt(EditLine* editor) {
        void* self = nullptr;
        el_get(editor, EL_CLIENTDATA, &self);
        return const_cast<char*>(static_cast<EditedLines*>(self)->prompt_.c_str());
    }

    void Release() noexcept {
        if (editor_ != nullptr) {
            el_end(editor_);
            editor_ = nullptr;
        }
        if (history_ != nullptr) {
            history_end(history_);
            history_ = nullptr;
        }
    }

    std::size_t maxBytes_;
    std::string prompt_;
    EditLine* editor_ = nullptr;
    History* history_ = nullptr;
    std::size_t lineNumber_ = 0;
};

}  // namespace

std::unique_ptr<LineSource> OpenEditedLines(std::FILE* in, std::FILE* out, std::size_t maxBytes,
                                            const char* prompt) {
    return std::make_unique<EditedLines>(in, out, maxBytes, prompt);
}
