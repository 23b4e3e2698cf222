#include "actionmanager/host_actions.h"

#include <array>
#include <utility>

#include "actionmanager/output_sink.h"
#include "actionmanager/result_text.h"

namespace {

std::u16string_view TextOf(BSTR text) {
    return text != nullptr ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

ActionOutcome Log(BSTR request, OutputSink& output) {
    output.WriteLine(TextOf(request));
    return {S_OK, FlagResult(true)};
}

ActionOutcome Echo(BSTR request, OutputSink&) {
    return {S_OK, Bstr::Copy(TextResult(TextOf(request)))};
}

ActionOutcome Fail(BSTR, OutputSink&) {
    return {E_FAIL, FlagResult(false)};
}

constexpr std::array<std::pair<std::u16string_view, HostAction>, 3> kHostActions = {{
    {u"log", &Log},
    {u"echo", &Echo},
    {u"fail", &Fail},
}};

}  // namespace

HostAction FindHostAction(std::u16string_view name) noexcept {
    for (const auto& [known, action] : kHostActions) {
        if (known == name) {
            return action;
        }
    }
    return nullptr;
}
