#include "host_session.h"

#include <cinttypes>
#include <utility>

#include "actionmanager/actionmanager_host.h"
#include "companions/action_manager.h"
#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "input_limits.h"
#include "triggermanager/triggermanager_host.h"
#include "xml_peek.h"

namespace {

std::string Hex(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, static_cast<std::uint32_t>(code));
    return text;
}

std::string Brief(const RequestSummary& summary) {
    std::string text = summary.type == "trigger" ? summary.name : summary.type + "/" + summary.name;
    for (const std::string& part : {summary.id, Shortened(summary.payload)}) {
        if (!part.empty()) {
            text += ' ';
            text += part;
        }
    }
    return text;
}

// The description a failed call left in this thread's error information (taking it), or "".
std::string TakeErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return {};
    }
    Bstr description;
    if (FAILED(info->GetDescription(description.put()))) {
        return {};
    }
    return ToUtf8(description.view());
}

}  // namespace

thread_local HostSession::RequestEcho* HostSession::requestOnThisThread_ = nullptr;

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
    if (options_.chainBudget > 0) {
        TriggerManagerSetChainBudget(options_.chainBudget);
    }
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
    // Whatever an earlier call left here is not this failure's cause.
    SetErrorInfo(0, nullptr);
    const HRESULT registered = registerActions();
    if (FAILED(registered)) {
        // The trigger manager's factory describes its failure on this thread, and the plug-in
        // returns straight after it.
        const std::string cause = TakeErrorDescription();
        error = "the plug-in could not register its actions (" + Hex(registered) + "): ";
        if (!cause.empty()) {
            error += cause;
        } else {
            error += "the trigger manager could not be started";
            if (!options_.databasePath.empty()) {
                error += " on database '" + options_.databasePath + "'";
            }
        }
        return false;
    }
    TriggerManagerSetFailureObserver(&HostSession::OnFailure, this);
    started_ = true;
    return true;
}

bool HostSession::Send(std::string requestXml, std::string& error) {
    if (requestXml.size() > kMaxRequestBytes) {
        error = "the request is larger than " + RequestLimitText() +
                ", more than the plug-in accepts; it was not sent";
        return false;
    }
    const RequestSummary summary = SummariseRequest(requestXml);
    if (summary.refusal != nullptr) {
        error = std::string("the request was not sent: ") + summary.refusal;
        return false;
    }
    if (!options_.quiet) {
        Print("> " + (options_.verbose ? Shortened(requestXml) : Brief(summary)));
    }
    RequestEcho echo;
    requestOnThisThread_ = &echo;
    Bstr result;
    HRESULT code = E_UNEXPECTED;
    try {
        Bstr request = ToBstr(requestXml);
        std::string().swap(requestXml);
        code = DoAction(request.get(), result.put());
    } catch (const std::bad_alloc&) {
        code = E_OUTOFMEMORY;
    }
    // The report held back is the request's own: the observer hears of it last.
    requestOnThisThread_ = nullptr;
    if (options_.deliveryThread) {
        // A scenario tells a story in order: what a request set off on the delivery thread is
        // finished before its result is printed and the next request is sent.
        TriggerManagerWaitIdle(10000);
    }
    if (!options_.quiet) {
        const std::string resultText = ToUtf8(result.view());
        std::string line =
            "< " + Shortened(options_.verbose ? resultText : ResultValue(resultText));
        if (options_.verbose || FAILED(code)) {
            line += "   [" + Hex(code) + "]";
        }
        Print(line);
    }
    return true;
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
    TriggerManagerSetFailureObserver(nullptr, nullptr);
    ActionManagerSetObserver(nullptr, nullptr);
    ActionManagerSetOutput(nullptr, nullptr);
    ActionManagerShutdown();
    if (module_ != nullptr) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

void HostSession::OnOutput(const char* line, void* context) {
    static_cast<HostSession*>(context)->PrintSetOff("  log: " +
                                                    Shortened(line != nullptr ? line : ""));
}

void HostSession::OnAction(const char* request, const char* result, HRESULT code, void* context) {
    static_cast<HostSession*>(context)->PrintAction(request ? request : "", result ? result : "",
                                                    code);
}

void HostSession::OnFailure(HRESULT code, const char* description, void* context) {
    auto* session = static_cast<HostSession*>(context);
    if (session->options_.verbose) {
        session->PrintSetOff(
            "  trigger manager: " + Shortened(description != nullptr ? description : "") + "   [" +
            Hex(code) + "]");
    }
}

void HostSession::PrintSetOff(const std::string& line) {
    if (RequestEcho* echo = requestOnThisThread_; echo != nullptr && echo->holding) {
        echo->holding = false;
        if (!echo->heldAction.empty()) {
            Print(echo->heldAction);
        }
    }
    Print(line);
}

void HostSession::PrintAction(const std::string& request, const std::string& result, HRESULT code) {
    const RequestSummary target = PeekRequestTarget(request);
    // A logged action shows itself through its log line.
    const bool hidden = target.type == "host" && target.name == "log" && !options_.verbose;
    std::string line;
    if (!hidden) {
        line = "  action " + target.type + "/" + target.name + ": " + Shortened(request);
        if (options_.verbose) {
            line += "  -> " + Shortened(result) + "   [" + Hex(code) + "]";
        } else {
            line += "  -> " + Shortened(ResultValue(result));
            if (FAILED(code)) {
                line += " (failed: " + Hex(code) + ")";
            }
        }
    }
    RequestEcho* echo = requestOnThisThread_;
    if (echo == nullptr) {
        if (!hidden) {
            Print(line);
        }
        return;
    }
    // The report held before this one was not the request's own: print it, hold this one.
    if (echo->holding && !echo->heldAction.empty()) {
        Print(echo->heldAction);
    }
    echo->heldAction = std::move(line);
    echo->holding = true;
}

void HostSession::Print(const std::string& line) {
    std::lock_guard<std::mutex> guard(printLock_);
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
}
