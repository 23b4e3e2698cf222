// How a session's events are printed: lines for people (optionally coloured), or one JSON object
// per line for scripts. Each method gives the text to print ("" for nothing); a request's line
// comes before what it sets off, its result after.
#pragma once

#include <memory>
#include <string>

#include "options.h"
#include "platform/win32.h"
#include "xml_peek.h"

struct ActionReport {
    std::string request;
    std::string result;
    HRESULT code = S_OK;
};

class SessionFormat {
  public:
    virtual ~SessionFormat() = default;
    // The request about to be sent (called on the sending thread, before Result).
    virtual std::string Request(const std::string& xml, const RequestSummary& summary) = 0;
    virtual std::string Result(const std::string& resultXml, HRESULT code) = 0;
    // An action a request set off, on whichever thread it ran.
    virtual std::string Action(const ActionReport& report) = 0;
    virtual std::string Log(const std::string& line) = 0;
    // A failure the trigger manager reported.
    virtual std::string Failure(HRESULT code, const std::string& description) = 0;
    virtual std::string Note(const std::string& text) = 0;
    virtual std::string Stopped(HRESULT code) = 0;
};

std::unique_ptr<SessionFormat> MakeTextFormat(const HostOptions& options, bool colour);
std::unique_ptr<SessionFormat> MakeJsonFormat();
