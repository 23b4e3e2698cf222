#include "host_child.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace {

// Between fork and exec only async-signal-safe calls: the parent may run other threads.
[[noreturn]] void BecomeChild(const char* program, char* const* argv, int input, int output) {
    if (dup2(input, STDIN_FILENO) >= 0 && dup2(output, STDOUT_FILENO) >= 0 &&
        dup2(output, STDERR_FILENO) >= 0) {
        execv(program, argv);
    }
    _exit(127);
}

}  // namespace

ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const ChildOptions& options) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    const int input = open(options.input.c_str(), O_RDONLY | O_CLOEXEC);
    int pipeEnds[2];
    if (input < 0 || pipe2(pipeEnds, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot prepare the child's input and output");
    }
    const pid_t child = fork();
    if (child == 0) {
        BecomeChild(program.c_str(), argv.data(), input, pipeEnds[1]);
    }
    close(input);
    close(pipeEnds[1]);
    ChildRun run;
    std::array<char, 65536> buffer{};
    ssize_t read = 0;
    while (child > 0 && (read = ::read(pipeEnds[0], buffer.data(), buffer.size())) != 0) {
        if (read < 0 && errno != EINTR) {
            break;
        }
        if (read > 0 && options.keepOutput) {
            run.output.append(buffer.data(), static_cast<std::size_t>(read));
        }
    }
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        throw std::runtime_error("the child could not be run");
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}
