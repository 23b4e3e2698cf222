#include "actionmanager/output_sink.h"

#include <cstdio>

#include "companions/utf.h"

namespace {

bool IsLineBreak(char c) {
    return c == '\n' || c == '\r';
}

}  // namespace

std::string OneLine(OleStringView text) {
    const std::string utf8 = ToUtf8(text);
    std::string line;
    line.reserve(utf8.size());
    bool inBreak = false;
    for (const char c : utf8) {
        if (IsLineBreak(c)) {
            inBreak = true;
            continue;
        }
        if (inBreak && !line.empty()) {
            line += ' ';
        }
        inBreak = false;
        line += c;
    }
    return line;
}

void OutputSink::WriteLine(OleStringView text) {
    std::string line = OneLine(text);
    const bool delivered = callback_.Call(
        [&](ActionManagerOutput output, void* context) { output(line.c_str(), context); });
    if (!delivered) {
        // One write per line, so that lines of concurrent actions never interleave.
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
}
