// Lines of the host's interactive input, each held only up to a limit: a longer line is skipped
// to its end without being kept, however long it is.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

class LineReader {
  public:
    enum class Status { Line, TooLong, End };

    // `pieceBytes`: how much of a line is read at a time (at least 2).
    LineReader(std::istream& input, std::size_t maxBytes, std::size_t pieceBytes = 64 * 1024);

    // The next line, without its line break. TooLong: the line had more than maxBytes bytes and
    // has been skipped (`line` is empty). End: no more input.
    Status Next(std::string& line);
    // The number of the line Next gave last, from 1.
    std::size_t lineNumber() const noexcept { return lineNumber_; }

  private:
    std::istream& input_;
    std::size_t maxBytes_;
    std::vector<char> piece_;
    std::size_t lineNumber_ = 0;
};
