#include "plugin_session.h"

#include <cstdio>
#include <cstdlib>

#include <utility>

#include "companions/utf.h"
#include "fuzz_check.h"
#include "integration/plugin_host.h"
#include "markup.h"

namespace {

constexpr DWORD kIdleWaitMs = 30000;

LoadedPlugin& Plugin() {
    static LoadedPlugin plugin;
    return plugin;
}

OutputLog& Log() {
    static OutputLog log;
    return log;
}

// TB_FUZZ_TRACE=1 prints every request and its result, to read what a saved input does.
const bool trace = std::getenv("TB_FUZZ_TRACE") != nullptr;

// Stands in the result slot before each call: a call that returns without writing the slot
// leaves it here, and one that frees it trips the address sanitizer.
OLECHAR unwrittenSlot[] = u"unwritten";

}  // namespace

std::string FireResult(std::string_view reply) {
    return "<ActionResult><Result>" + EscapeText(reply) + "</Result></ActionResult>";
}

PluginSession::PluginSession(bool deliveryThread, LONG chainBudget)
    : deliveryThread_(deliveryThread) {
    FuzzCheck(Plugin().loaded(), "the plug-in loads", TB_PLUGIN_PATH);
    ActionManagerSetOutput(&OutputLog::Write, &Log());
    Log().Clear();
    TriggerManagerSetDeliveryThread(deliveryThread ? TRUE : FALSE);
    if (chainBudget > 0) {
        FuzzCheck(TriggerManagerSetChainBudget(chainBudget) == S_OK, "a chain budget is taken");
    }
    FuzzCheck(Plugin().RegisterActions() == S_OK, "RegisterActions connects a fresh plug-in");
}

PluginSession::~PluginSession() {
    WaitIdle();
    FuzzCheck(Plugin().StopHandler() == S_OK, "StopHandler disconnects a connected plug-in");
}

PluginSession::Outcome PluginSession::Run(const std::string& request) {
    const Bstr wide = ToBstr(request);
    BSTR slot = unwrittenSlot;
    const HRESULT code = Plugin().RunAction(wide.get(), &slot);
    FuzzCheck(slot != unwrittenSlot, "RunAction always writes its result slot", request);
    const Bstr result(slot);
    if (FAILED(code)) {
        FuzzCheck(!result, "a failed RunAction leaves null in its result slot", request);
    } else {
        FuzzCheck(code == S_OK || code == S_FALSE, "RunAction succeeds with 0 or 1", request);
        FuzzCheck(static_cast<bool>(result), "a successful RunAction gives a result", request);
    }
    std::string text = ToUtf8(result.get());
    if (trace) {
        std::fprintf(stderr, "> %s\n< %08X %s\n", request.c_str(), static_cast<unsigned>(code),
                     text.c_str());
    }
    return {code, !result, std::move(text)};
}

void PluginSession::WaitIdle() {
    if (deliveryThread_) {
        FuzzCheck(TriggerManagerWaitIdle(kIdleWaitMs) == S_OK,
                  "the delivery thread drains its events");
    }
}

std::vector<std::string> PluginSession::TakeLines() {
    std::vector<std::string> lines = Log().Lines();
    Log().Clear();
    return lines;
}
