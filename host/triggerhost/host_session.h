// One run of the host: the host services set up, the plug-in loaded and its actions registered,
// requests sent through the action manager, and everything stopped in order at the end.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "options.h"
#include "platform/win32.h"

class HostSession {
  public:
    HostSession(const HostOptions& options, std::FILE* out);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Loads the plug-in and registers its actions; false with `error` set when it cannot.
    bool Start(std::string& error);
    // Sends one request and prints it, the actions it set off and its result.
    void Send(const std::string& requestXml);
    void Note(const std::string& text);
    // Waits for pending events, then unregisters everything and unloads the plug-in.
    void Stop();

  private:
    static void OnOutput(const char* line, void* context);
    static void OnAction(const char* request, const char* result, HRESULT code, void* context);
    void Print(const std::string& line);
    void PrintAction(const std::string& request, const std::string& result, HRESULT code);

    HostOptions options_;
    std::FILE* out_;
    std::mutex printLock_;
    HMODULE module_ = nullptr;
    HRESULT(STDAPICALLTYPE* stopHandler_)() = nullptr;
    bool started_ = false;
};

// Where the plug-in lives when no path is given: beside the running program.
std::string DefaultModulePath();
