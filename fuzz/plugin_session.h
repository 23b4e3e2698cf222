// The real plug-in with the real configuration documents, trigger manager and action manager,
// loaded once per process the way the host program loads them, and connected afresh for each
// fuzz input: a connection has its own in-memory trigger database, so no input sees the
// triggers of another.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

// What RunAction answers for a command that succeeded or failed.
inline constexpr std::string_view kTrueResult =
    "<ActionResult><Result>true</Result></ActionResult>";
inline constexpr std::string_view kFalseResult =
    "<ActionResult><Result>false</Result></ActionResult>";

// What RunAction answers for a fire that the trigger manager answered with `reply`.
std::string FireResult(std::string_view reply);

class PluginSession {
  public:
    struct Outcome {
        HRESULT code;
        bool slotNull;     // RunAction left null in the result slot
        std::string text;  // the result as UTF-8; empty when the slot was null
    };

    // Connects the plug-in (RegisterActions); events on a delivery thread when asked, and a
    // chain budget of that many firings when one is given (the manager's own otherwise).
    explicit PluginSession(bool deliveryThread, LONG chainBudget = 0);
    // Waits for queued events, then disconnects (StopHandler).
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    // One request straight into RunAction, as the action manager would pass it. Checks the
    // contract of the result slot: written on success, null after a failure.
    Outcome Run(const std::string& request);

    // Waits until every event fired so far has run its action.
    void WaitIdle();

    // The lines host actions wrote since the last call.
    std::vector<std::string> TakeLines();

  private:
    bool deliveryThread_;
};
