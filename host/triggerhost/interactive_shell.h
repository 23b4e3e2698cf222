// The interactive host: lines of XML requests as before, and commands beside them (shorthand
// requests, list, test, history, help), with mistakes answered in words.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "action_mirror.h"
#include "host_session.h"
#include "line_source.h"

struct ShellSettings {
    bool json = false;         // answers as JSON objects, one per line
    bool colour = false;       // colour on standard output
    bool errorColour = false;  // colour on the error stream
};

class InteractiveShell {
  public:
    // Starts keeping the trigger manager's history of firings, for `history`.
    InteractiveShell(HostSession& session, const ActionMirror& mirror, ShellSettings settings,
                     std::FILE* errors);

    // Runs every line; false when some line was refused (each is reported on the error stream
    // with its line number, and the rest are still run).
    bool Run(LineSource& lines);

  private:
    // One line; false with `error` set when it was refused.
    bool Execute(std::string line, std::string& error);
    bool SendShorthand(std::string request, bool withAction, std::string& error);
    bool Help(std::string_view topic, std::string& error);
    bool List(std::string_view pattern, std::string& error);
    bool Test(std::string_view text, std::string& error);
    bool History(std::string_view count, std::string& error);
    std::string Unknown(std::string_view word) const;
    void ReportError(std::size_t line, const std::string& message);

    HostSession& session_;
    const ActionMirror& mirror_;
    const ShellSettings settings_;
    std::FILE* errors_;
};
