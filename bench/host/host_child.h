// Runs the host program as a child process, as a user would, and reports what it printed, how it
// ended and the most memory it held at once (its peak resident set, from the kernel's own count).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct ChildOptions {
    std::string input = "/dev/null";  // the file read as standard input
    bool keepOutput = true;           // false: standard output and error are read and dropped
};

struct ChildRun {
    int status = -1;     // the exit status, or -1 when the child did not exit normally
    std::string output;  // standard output and error together, in the order written
    long peakKilobytes = 0;
};

ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const ChildOptions& options = {});
