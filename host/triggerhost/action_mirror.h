// What the plug-in holds, as the host sees it go by: the plug-in keeps the action of every
// trigger it registered and has no way to be asked for them, so the host follows every request
// the action manager runs (nested ones included) and changes its copy as the plug-in changes its
// table. A trigger the trigger manager kept in a database file from an earlier run has no action
// here, as it has none in the plug-in.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

class ActionMirror {
  public:
    // One request the action manager ran, with its result text and code.
    void Observe(const std::string& request, const std::string& result, HRESULT code);
    // The plug-in let go of everything (StopHandler).
    void Clear();

    // The action held for the id (cut to the length the host prints; "" for a registration
    // without one), or nothing when the plug-in holds none.
    std::optional<std::string> ActionFor(const std::string& id) const;
    std::vector<std::string> Ids() const;
    // Whether the last suspend or resume that succeeded was a suspend.
    bool suspended() const;

  private:
    mutable std::mutex lock_;
    // In the plug-in's order: by bytes.
    std::map<std::string, std::string> actions_;
    bool suspended_ = false;
};
