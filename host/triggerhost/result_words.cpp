#include "result_words.h"

#include <array>
#include <cinttypes>
#include <cstdio>
#include <utility>

namespace {

// The codes the host services, the plug-in and the platform give, by their 32 bits.
constexpr std::array<std::pair<std::uint32_t, const char*>, 20> kMeanings = {{
    {0x00000000u, "success"},
    {0x00000001u, "the command did not succeed"},
    {0x80004001u, "not implemented"},
    {0x80004002u, "no such interface"},
    {0x80004003u, "null pointer"},
    {0x80004005u, "unspecified failure"},
    {0x8000FFFFu, "unexpected failure"},
    {0x80020003u, "member not found"},
    {0x80020005u, "type mismatch"},
    {0x80040200u, "no connection"},
    {0x80070002u, "file not found"},
    {0x80070003u, "path not found"},
    {0x80070005u, "access denied"},
    {0x8007000Eu, "out of memory"},
    {0x80070021u, "the file is locked by another process"},
    {0x80070057u, "invalid argument"},
    {0x80070070u, "the disk is full"},
    {0x8007007Eu, "the module could not be found"},
    {0x8007007Fu, "the procedure could not be found in the module"},
    {0x80070570u, "the file is corrupt or not a database"},
}};

}  // namespace

std::string CodeMeaning(HRESULT code) {
    const auto bits = static_cast<std::uint32_t>(code);
    for (const auto& [known, meaning] : kMeanings) {
        if (known == bits) {
            return meaning;
        }
    }
    return {};
}

std::string Hex(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, static_cast<std::uint32_t>(code));
    return text;
}

std::string CodeInWords(HRESULT code) {
    const std::string meaning = CodeMeaning(code);
    return meaning.empty() ? Hex(code) : Hex(code) + " " + meaning;
}
