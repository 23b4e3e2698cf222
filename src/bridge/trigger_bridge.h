// The module's one process-wide object: the connection to the trigger manager, the table of
// registered triggers and their actions, and the event sink through which triggers fire.
#pragma once

#include <string>

#include "bridge/event_sink.h"
#include "bridge/trigger_action_table.h"
#include "companions/com_ptr.h"
#include "companions/trigger_manager.h"

class TriggerBridge : public EventSink {
  public:
    // The process-wide bridge, constructed on first use and destroyed at unload.
    static TriggerBridge& Instance();

    // Tests make their own bridges; the module only ever uses Instance().
    TriggerBridge() = default;
    ~TriggerBridge() override;

    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // Creates a trigger manager and advises this sink on it; false when either fails or the
    // bridge is connected already.
    bool Connect();
    // Unadvises, removes every registered trigger from the manager in id order, releases the
    // manager and empties the table; false when the bridge was not connected.
    bool Disconnect();

    // Asks the manager to add the trigger and, only once it has, stores the action; returns the
    // manager's flag, or 0.
    LONG RegisterTrigger(const std::string& id, const std::string& condition,
                         const std::string& action);
    // Erases the id's entry (every matching entry for a pattern) and asks the manager to remove
    // the id or pattern; 1 once asked, 0 without a manager. A failing RemoveTrigger raises.
    LONG UnregisterTrigger(const std::string& id);

    // Forward a command to the manager; 0 without one. A failing call raises ComError.
    LONG DeleteTriggerDatabase();
    LONG SuspendTriggers();
    LONG ResumeTriggers();

    // Runs the action stored for a fired trigger, merged with the trigger data: S_FALSE when no
    // action is stored, S_OK otherwise, whatever the run gives.
    HRESULT HandleTriggerFired(const OLECHAR* id, const OLECHAR* data);

    ITriggerManager* triggerManager() const noexcept { return manager.get(); }
    bool isConnected() const noexcept { return connected != FALSE; }
    TriggerActionTable& actionTable() noexcept { return table; }

  private:
    ComPtr<ITriggerManager> manager;
    TriggerActionTable table;
    BOOL connected = FALSE;
};

// Hands `action` to the action manager and gives back its result text.
std::string ExecuteAction(const std::string& action);
