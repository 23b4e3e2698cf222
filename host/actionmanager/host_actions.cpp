#include "actionmanager/host_actions.h"

#include <array>
#include <utility>

#include "actionmanager/output_sink.h"
#include "actionmanager/result_text.h"

namespace {

OleStringView TextOf(BSTR text) {
    return text != nullptr ? OleStringView(text, SysStringLen(text)) : OleStringView();
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

constexpr std::array<std::pair<OleStringView, HostAction>, 3> kHostActions = {{
    {OLESTR("log"), &Log},
    {OLESTR("echo"), &Echo},
    {OLESTR("fail"), &Fail},
}};

}  // namespace

HostAction FindHostAction(OleStringView name) noexcept {
    for (const auto& [known, action] : kHostActions) {
        if (known == name) {
            return action;
        }
    }
    return nullptr;
}
