// One run of the host: the host services set up, the plug-in loaded and its actions registered,
// requests sent through the action manager, and everything stopped in order at the end.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "action_mirror.h"
#include "options.h"
#include "platform/win32.h"
#include "session_format.h"

class HostSession {
  public:
    // Prints through `format`; `mirror`, when given, follows what the plug-in holds.
    HostSession(const HostOptions& options, std::FILE* out, std::unique_ptr<SessionFormat> format,
                ActionMirror* mirror = nullptr);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Loads the plug-in and registers its actions; false with `error` set when it cannot (with the
    // cause the trigger manager gave, when it gave one).
    bool Start(std::string& error);
    // Sends one request and prints it, the actions it set off as they run, and its result. A
    // request larger than the plug-in accepts, or one that declares a document type, is not sent:
    // false, with `error` saying why. The text is let go of once the request is converted for
    // sending, so a large one is not held twice while it runs.
    bool Send(std::string requestXml, std::string& error);
    void Note(const std::string& text);
    // Prints lines of the host's own, in turn with everything else the session prints.
    void Emit(const std::string& lines);
    // Waits for pending events, then unregisters everything and unloads the plug-in.
    void Stop();

  private:
    // What a request sends has printed so far on the sending thread: the last action report is
    // held back, because the last of all is the request's own and is not printed.
    struct RequestEcho {
        std::optional<ActionReport> held;
    };

    static void OnOutput(const char* line, void* context);
    static void OnAction(const char* request, const char* result, HRESULT code, void* context);
    static void OnFailure(HRESULT code, const char* description, void* context);
    // Prints a line set off by a request: at once, after any report held back on this thread.
    void PrintSetOff(const std::string& line);
    void ReportAction(ActionReport report);

    // Set while this thread sends a request of the host's own.
    static thread_local RequestEcho* requestOnThisThread_;

    HostOptions options_;
    std::FILE* out_;
    std::unique_ptr<SessionFormat> format_;
    ActionMirror* mirror_;
    std::mutex printLock_;
    HMODULE module_ = nullptr;
    HMODULE configData_ = nullptr;  // with --dom platform: loaded before the plug-in
    HRESULT(STDAPICALLTYPE* stopHandler_)() = nullptr;
    bool started_ = false;
};

// Where the plug-in lives when no path is given: beside the running program.
std::string DefaultModulePath();
// The configuration-data library over the platform's XML DOM: in platform-dom/ beside the
// program on Windows; empty elsewhere, which has no such DOM.
std::string PlatformDomPath();
