// The process-wide action manager behind the library's exports: the registry, the loaded
// modules, the built-in host actions, and the host's output and observer callbacks.
#pragma once

#include "actionmanager/action_outcome.h"
#include "actionmanager/action_registry.h"
#include "actionmanager/actionmanager_host.h"
#include "actionmanager/module_cache.h"
#include "actionmanager/output_sink.h"
#include "companions/callback_slot.h"

class ActionManager {
  public:
    // Created on first use and never destroyed: a library's static destructors may still call
    // DoAction while the process exits.
    static ActionManager& Instance();

    HRESULT Add(BSTR category, BSTR action, BSTR modulePath, BSTR entry);
    // Never raises: every failure becomes a result code and the "false" result document.
    HRESULT Do(BSTR request, BSTR* result) noexcept;
    void SetOutput(ActionManagerOutput output, void* context) { output_.Set(output, context); }
    void SetObserver(ActionManagerObserver observer, void* context) {
        observer_.Set(observer, context);
    }
    void Shutdown();

  private:
    ActionManager() = default;

    ActionOutcome Run(BSTR request) noexcept;
    ActionOutcome RunModuleAction(const ActionTarget& target, BSTR request);
    void Report(BSTR request, const ActionOutcome& outcome) noexcept;

    ActionRegistry registry_;
    ModuleCache modules_;
    OutputSink output_;
    CallbackSlot<ActionManagerObserver> observer_;
};
