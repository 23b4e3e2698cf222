#include "line_reader.h"

LineReader::LineReader(std::istream& input, std::size_t maxBytes, std::size_t pieceBytes)
    : input_(input), maxBytes_(maxBytes), piece_(pieceBytes) {}

LineReader::Status LineReader::Next(std::string& line) {
    line.clear();
    bool tooLong = false;
    bool readAny = false;
    for (;;) {
        input_.getline(piece_.data(), static_cast<std::streamsize>(piece_.size()));
        const auto extracted = static_cast<std::size_t>(input_.gcount());
        readAny = readAny || extracted > 0;
        // A full piece without a line break sets failbit but not eofbit: the line goes on.
        const bool pieceFull = input_.fail() && !input_.eof() && extracted == piece_.size() - 1;
        const bool lineEnded = !input_.fail() && !input_.eof();
        const std::size_t stored = lineEnded ? extracted - 1 : extracted;
        if (!tooLong && line.size() + stored > maxBytes_) {
            tooLong = true;
            std::string().swap(line);
        }
        if (!tooLong) {
            line.append(piece_.data(), stored);
        }
        if (pieceFull) {
            input_.clear();
            continue;
        }
        if (!lineEnded && !readAny) {
            return Status::End;
        }
        ++lineNumber_;
        return tooLong ? Status::TooLong : Status::Line;
    }
}
