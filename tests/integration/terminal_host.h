// A program on a pseudo-terminal of its own, as someone at a terminal runs it, and what the
// terminal shows of its output.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

// What a terminal shows of the bytes: escape sequences and carriage returns taken out.
inline std::string Screen(const std::string& bytes) {
    std::string shown;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\x1b' && i + 1 < bytes.size() && bytes[i + 1] == '[') {
            i += 2;
            while (i < bytes.size() && (bytes[i] < 0x40 || bytes[i] > 0x7E)) {
                ++i;
            }
        } else if (c == '\x1b') {
            ++i;
        } else if (c != '\r' && c != '\a') {
            shown += c;
        }
    }
    return shown;
}

class TerminalHost {
  public:
    // `command`: the program and its arguments; `locale`, when given, is the program's LC_ALL.
    explicit TerminalHost(const std::vector<std::string>& command, const char* locale = nullptr) {
        std::vector<char*> arguments;
        for (const std::string& word : command) {
            arguments.push_back(const_cast<char*>(word.c_str()));
        }
        arguments.push_back(nullptr);
        winsize size{};
        size.ws_row = 50;
        size.ws_col = 400;
        child_ = forkpty(&terminal_, nullptr, nullptr, &size);
        if (child_ == 0) {
            setenv("TERM", "xterm", 1);
            unsetenv("NO_COLOR");
            if (locale != nullptr) {
                setenv("LC_ALL", locale, 1);
            }
            execvp(arguments[0], arguments.data());
            _exit(127);
        }
    }
    ~TerminalHost() {
        if (child_ > 0 && status_ < 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        if (terminal_ >= 0) {
            close(terminal_);
        }
    }
    TerminalHost(const TerminalHost&) = delete;
    TerminalHost& operator=(const TerminalHost&) = delete;

    bool started() const { return child_ > 0; }
    void Type(const std::string& keys) {
        ASSERT_EQ(write(terminal_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Waits until the program has taken the terminal out of its line mode to edit lines itself;
    // typed before that, the terminal would turn a carriage return into a line feed.
    void WaitUntilEditing() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        termios mode{};
        while (tcgetattr(terminal_, &mode) == 0 && (mode.c_lflag & ICANON) != 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the terminal stayed in its line mode";
                return;
            }
            Read(std::chrono::steady_clock::now() + std::chrono::milliseconds(20));
        }
    }
    // Reads until the screen shows `text` after what the last wait found; what it read then.
    std::string WaitFor(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Screen(bytes_).find(text, seen_) == std::string::npos) {
            if (!Read(deadline)) {
                ADD_FAILURE() << "no '" << text << "' on the screen:\n" << Screen(bytes_);
                return {};
            }
        }
        const std::string screen = Screen(bytes_);
        const std::size_t found = screen.find(text, seen_);
        std::string part = screen.substr(seen_, found + text.size() - seen_);
        seen_ = found + text.size();
        return part;
    }
    // The exit status once the host has ended, reading whatever it still prints.
    int Finish() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Read(deadline)) {
        }
        int status = 0;
        waitpid(child_, &status, 0);
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
    }
    const std::string& bytes() const { return bytes_; }

  private:
    bool Read(std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{terminal_, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        std::array<char, 4096> buffer{};
        const ssize_t read = ::read(terminal_, buffer.data(), buffer.size());
        if (read <= 0) {
            return false;  // the host has gone: the terminal reports an error
        }
        bytes_.append(buffer.data(), static_cast<std::size_t>(read));
        return true;
    }

    int terminal_ = -1;
    pid_t child_ = -1;
    int status_ = -1;
    std::string bytes_;
    std::size_t seen_ = 0;
};
