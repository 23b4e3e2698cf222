#include "host_session.h"

#include <utility>

#include "actionmanager/actionmanager_host.h"
#include "companions/action_manager.h"
#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/utf.h"
#include "input_limits.h"
#include "result_words.h"
#include "triggermanager/triggermanager_host.h"
#include "xml_peek.h"

namespace {

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

namespace {

// The libraries' file names: this file names module paths, so it says which system's they are.
#ifdef _WIN32
constexpr const char* kPluginFile = "triggerbridge.dll";
constexpr const char* kPlatformDomFile = "platform-dom\\configdata.dll";
#else
constexpr const char* kPluginFile = "libtriggerbridge.so";
// The platform's XML DOM is Windows' own.
constexpr const char* kPlatformDomFile = nullptr;
#endif

// The folder of the running program, with its trailing separator. Asked for in its wide form,
// which holds any folder name (the narrow one holds only what the ANSI code page can).
std::string ProgramFolder() {
    OleString program(32 * 1024, OLECHAR{});
    const DWORD length =
        GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    program.resize(length);
    const std::string path = ToUtf8(program);
    const auto separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string("./") : path.substr(0, separator + 1);
}

// A library by its UTF-8 path.
HMODULE LoadLibraryNamed(const std::string& path) {
    return LoadLibraryW(ToUtf16(path).c_str());
}

}  // namespace

std::string DefaultModulePath() {
    return ProgramFolder() + kPluginFile;
}

std::string PlatformDomPath() {
    return kPlatformDomFile != nullptr ? ProgramFolder() + kPlatformDomFile : std::string();
}

HostSession::HostSession(const HostOptions& options, std::FILE* out,
                         std::unique_ptr<SessionFormat> format, ActionMirror* mirror)
    : options_(options), out_(out), format_(std::move(format)), mirror_(mirror) {}

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

    if (options_.platformDom) {
        // Loaded first, so that the plug-in's import of the configuration-data library binds
        // to it: the system hands an import the module of that name already in the process.
        const std::string dom = PlatformDomPath();
        if (dom.empty()) {
            error = "--dom platform: this system has no platform XML DOM (it is Windows')";
            return false;
        }
        configData_ = LoadLibraryNamed(dom);
        if (configData_ == nullptr) {
            error =
                "cannot load the configuration-data library over the platform DOM '" + dom + "'";
            return false;
        }
    }
    const std::string path =
        options_.modulePath.empty() ? DefaultModulePath() : options_.modulePath;
    module_ = LoadLibraryNamed(path);
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
    Emit(format_->Request(requestXml, summary));
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
    Emit(format_->Result(ToUtf8(result.view()), code));
    return true;
}

void HostSession::Note(const std::string& text) {
    Emit(format_->Note(text));
}

void HostSession::Stop() {
    if (started_) {
        started_ = false;
        TriggerManagerWaitIdle(10000);
        const HRESULT stopped = stopHandler_();
        if (mirror_ != nullptr) {
            mirror_->Clear();
        }
        Emit(format_->Stopped(stopped));
    }
    TriggerManagerSetFailureObserver(nullptr, nullptr);
    ActionManagerSetObserver(nullptr, nullptr);
    ActionManagerSetOutput(nullptr, nullptr);
    ActionManagerShutdown();
    if (module_ != nullptr) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
    if (configData_ != nullptr) {
        FreeLibrary(configData_);
        configData_ = nullptr;
    }
}

void HostSession::OnOutput(const char* line, void* context) {
    auto* session = static_cast<HostSession*>(context);
    session->PrintSetOff(session->format_->Log(line != nullptr ? line : ""));
}

void HostSession::OnAction(const char* request, const char* result, HRESULT code, void* context) {
    auto* session = static_cast<HostSession*>(context);
    ActionReport report{request != nullptr ? request : "", result != nullptr ? result : "", code};
    if (session->mirror_ != nullptr) {
        session->mirror_->Observe(report.request, report.result, report.code);
    }
    session->ReportAction(std::move(report));
}

void HostSession::OnFailure(HRESULT code, const char* description, void* context) {
    auto* session = static_cast<HostSession*>(context);
    session->PrintSetOff(
        session->format_->Failure(code, description != nullptr ? description : ""));
}

void HostSession::PrintSetOff(const std::string& line) {
    if (RequestEcho* echo = requestOnThisThread_; echo != nullptr && echo->held) {
        Emit(format_->Action(*echo->held));
        echo->held.reset();
    }
    Emit(line);
}

void HostSession::ReportAction(ActionReport report) {
    RequestEcho* echo = requestOnThisThread_;
    if (echo == nullptr) {
        Emit(format_->Action(report));
        return;
    }
    // The report held before this one was not the request's own: print it, hold this one.
    if (echo->held) {
        Emit(format_->Action(*echo->held));
    }
    echo->held = std::move(report);
}

void HostSession::Emit(const std::string& lines) {
    if (lines.empty()) {
        return;
    }
    std::lock_guard<std::mutex> guard(printLock_);
    std::fprintf(out_, "%s\n", lines.c_str());
    std::fflush(out_);
}
