// Scenario files: an XML document whose root element holds the requests, in order. The file is
// read once, in pieces, and each request is handed on as soon as its end tag has been read, so
// memory follows the largest request, not the file. A fault found part way (text that is not
// well-formed, a request that is too large) ends the scenario there: the requests before it have
// been handed on already.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "input_limits.h"

struct ScenarioStep {
    enum class Kind { Request, Note } kind;
    std::string text;  // the request's XML, or the note's text
};

class ScenarioReader {
  public:
    // Reads the file at `path`; null with `error` set to a one-line message when it cannot be
    // opened.
    static std::unique_ptr<ScenarioReader> OpenFile(const std::string& path, std::string& error);
    // Reads `text`, which must outlive the reader; `name` stands for it in messages.
    ScenarioReader(std::string_view text, std::string name);
    // Reads the pieces `nextPiece` gives in turn, up to the first empty one, which ends the input;
    // each must stay valid until the next is asked for. A request larger than `bounds` ends the
    // scenario.
    ScenarioReader(std::function<std::string_view()> nextPiece, std::string name,
                   RequestBounds bounds = {});
    ~ScenarioReader();
    ScenarioReader(const ScenarioReader&) = delete;
    ScenarioReader& operator=(const ScenarioReader&) = delete;

    // The next step in document order; nothing once the scenario has ended or cannot be read
    // further, and then error() says why (empty after a proper end). Raises std::bad_alloc only.
    std::optional<ScenarioStep> Next();
    const std::string& error() const noexcept;

  private:
    class Parse;
    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    ScenarioReader(std::unique_ptr<std::FILE, FileCloser> file, std::string name);
    // The next piece of the input; empty at its end.
    std::string_view ReadPiece();

    std::unique_ptr<std::FILE, FileCloser> file_;
    std::function<std::string_view()> nextPiece_;
    std::string buffer_;
    std::unique_ptr<Parse> parse_;
};

// The built-in demonstration run when no scenario file is given.
const std::string& BuiltInScenario();
