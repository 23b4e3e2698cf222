// Where interactive lines come from: a terminal, with line editing and a history of the lines
// typed (libedit), or anything else, read plainly with the size bound of LineReader.
#pragma once

#include <cstddef>
#include <cstdio>
#include <istream>
#include <memory>
#include <string>

#include "line_reader.h"

class LineSource {
  public:
    virtual ~LineSource() = default;
    // As LineReader::Next: the line without its break, TooLong (skipped) or End.
    virtual LineReader::Status Next(std::string& line) = 0;
    virtual std::size_t lineNumber() const noexcept = 0;
};

class PlainLines final : public LineSource {
  public:
    PlainLines(std::istream& input, std::size_t maxBytes) : reader_(input, maxBytes) {}
    LineReader::Status Next(std::string& line) override { return reader_.Next(line); }
    std::size_t lineNumber() const noexcept override { return reader_.lineNumber(); }

  private:
    LineReader reader_;
};

// Line editing (emacs keys, arrows) and recall of earlier lines on a terminal; the prompt is
// written to `out`. Raises std::runtime_error when the terminal cannot be set up.
std::unique_ptr<LineSource> OpenEditedLines(std::FILE* in, std::FILE* out, std::size_t maxBytes,
                                            const char* prompt);
