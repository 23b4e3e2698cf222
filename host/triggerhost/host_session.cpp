#include "host_session.h"

#include <cinttypes>

#include "actionmanager/actionmanager_host.h"
#include "companions/action_manager.h"
#include "companions/bstr.h"
#include "companions/utf.h"
#include "triggermanager/triggermanager_host.h"
#include "xml_peek.h"

namespace {

// Set while this thread runs a request of the host's own; actions that the request sets off on
// the same thread are collected and printed before its result.
thread_local std::vector<std::string>* collectedActions = nullptr;

std::string Hex(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, static_cast<std::uint32_t>(code));
    return text;
}

std::string Brief(const RequestSummary& summary) {
    std::string text = summary.type == "trigger" ? summary.name : summary.type + "/" + summary.name;
    if (!summary.id.empty()) {
        text += " " + summary.id;
    }
    if (!summary.payload.empty()) {
        text += " " + summary.payload;
    }
    return text;
}

}  // namespace

std::string DefaultModulePath() {
    char program[4096] = {};
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    std::string path(program, length);
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    return folder + "/libtriggerbridge.so";
}

HostSession::HostSession(const HostOptions& options, std::FILE* out)
    : options_(options), out_(out) {}

HostSession::~HostSession() {
    Stop();
}

bool HostSession::Start(std::string& error) {
    TriggerManagerSetDatabasePath(options_.databasePath.c_str());
    TriggerManagerSetDeliveryThread(options_.deliveryThread ? TRUE : FALSE);
    ActionManagerSetOutput(&HostSession::OnOutput, this);
    ActionManagerSetObserver(&HostSession::OnAction, this);

    const std::string path =
        options_.modulePath.empty() ? DefaultModulePath() : options_.modulePath;
    module_ = LoadLibraryA(path.c_str());
    if (module_ == nullptr) {
        error = "cannot load the plug-in module '" + path + "'";
        return false;
    }
    auto registerActions =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(module_, "RegisterActions"));
    stopHandler_ =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(module_, "StopHandler"));
    if (registerActions == nullptr || stopHandler_ == nullptr) {
        error = "'" + path + "' is not a trigger plug-in (RegisterActions or StopHandler missing)";
        return false;
    }
    const HRESULT registered = registerActions();
    if (FAILED(registered)) {
        error = "the plug-in could not register its actions (" + Hex(registered) +
                "): the trigger manager could not be started";
        if (!options_.databasePath.empty()) {
            error += " on database '" + options_.databasePath + "'";
        }
        return false;
    }
    started_ = true;
    return true;
}

void HostSession::Send(const std::string& requestXml) {
    const RequestSummary summary = SummariseRequest(requestXml);
    if (!options_.quiet) {
        Print("> " + (options_.verbose ? requestXml : Brief(summary)));
    }
    std::vector<std::string> actions;
    collectedActions = &actions;
    Bstr result;
    HRESULT code = E_UNEXPECTED;
    try {
        Bstr request = ToBstr(requestXml);
        code = DoAction(request.get(), result.put());
    } catch (const std::bad_alloc&) {
        code = E_OUTOFMEMORY;
    }
    collectedActions = nullptr;
    if (options_.deliveryThread) {
        // A scenario tells a story in order: what a request set off on the delivery thread is
        // finished before the next request is sent.
        TriggerManagerWaitIdle(10000);
    }
    // The last call the observer saw on this thread is this request itself.
    if (!actions.empty()) {
        actions.pop_back();
    }
    for (const std::string& line : actions) {
        if (!line.empty()) {
            Print(line);
        }
    }
    if (!options_.quiet) {
        const std::string resultText = ToUtf8(result.get());
        std::string line = "< " + (options_.verbose ? resultText : ResultValue(resultText));
        if (options_.verbose || FAILED(code)) {
            line += "   [" + Hex(code) + "]";
        }
        Print(line);
    }
}

void HostSession::Note(const std::string& text) {
    if (!options_.quiet) {
        Print("# " + text);
    }
}

void HostSession::Stop() {
    if (started_) {
        started_ = false;
        TriggerManagerWaitIdle(10000);
        const HRESULT stopped = stopHandler_();
        if (options_.verbose) {
            Print("stopped: " + Hex(stopped));
        }
    }
    ActionManagerSetObserver(nullptr, nullptr);
    ActionManagerSetOutput(nullptr, nullptr);
    ActionManagerShutdown();
    if (module_ != nullptr) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

void HostSession::OnOutput(const char* line, void* context) {
    std::string text = std::string("  log: ") + (line != nullptr ? line : "");
    if (collectedActions != nullptr) {
        collectedActions->push_back(std::move(text));
    } else {
        static_cast<HostSession*>(context)->Print(text);
    }
}

void HostSession::OnAction(const char* request, const char* result, HRESULT code, void* context) {
    static_cast<HostSession*>(context)->PrintAction(request ? request : "", result ? result : "",
                                                    code);
}

void HostSession::PrintAction(const std::string& request, const std::string& result, HRESULT code) {
    const RequestSummary summary = SummariseRequest(request);
    // A logged action shows itself through its log line.
    const bool shownByLog = summary.type == "host" && summary.name == "log";
    if (shownByLog && !options_.verbose && collectedActions == nullptr) {
        return;
    }
    std::string line = "  action " + summary.type + "/" + summary.name + ": " + request;
    if (options_.verbose) {
        line += "  -> " + result + "   [" + Hex(code) + "]";
    } else {
        line += "  -> " + ResultValue(result);
        if (FAILED(code)) {
            line += " (failed: " + Hex(code) + ")";
        }
    }
    if (collectedActions != nullptr) {
        // Kept even when hidden: the request's own entry is the last one and is dropped.
        collectedActions->push_back(shownByLog && !options_.verbose ? std::string()
                                                                    : std::move(line));
    } else {
        Print(line);
    }
}

void HostSession::Print(const std::string& line) {
    std::lock_guard<std::mutex> guard(printLock_);
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
}
