// The trigger manager object: ITriggerManager (with the IDispatch it derives from), its
// connection-point container with the one point for ITriggerEvents, and error information.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "companions/com_ptr.h"
#include "companions/implements.h"
#include "companions/trigger_manager.h"
#include "triggermanager/connection_point.h"
#include "triggermanager/delivery_thread.h"
#include "triggermanager/loop_guard.h"
#include "triggermanager/manager_directory.h"
#include "triggermanager/sink_list.h"
#include "triggermanager/sqlite_driver.h"
#include "triggermanager/trigger_registry.h"

struct ManagerOptions {
    std::string databasePath;  // UTF-8; empty: a private in-memory database
    bool deliveryThread = false;
    std::shared_ptr<SqliteDriver> driver;  // null: SQLite itself
    // How long to wait for a database file another manager holds (it may be on its way out).
    std::chrono::milliseconds lockWait{5000};
    // Firings one chain started by this manager may run in all (at least 1).
    LONG chainBudget = kDefaultChainBudget;
    // Evaluates every condition on every firing instead of the candidates the index names: the
    // reference that tests and benchmarks hold the index to. Hosts have no way to ask for it.
    bool evaluateEveryTrigger = false;
};

// A new manager, its one reference handed over. Raises ComError (with SQLite's description when
// the database cannot be used) or std::bad_alloc.
ComPtr<ITriggerManager> MakeTriggerManager(const ManagerOptions& options);

class TriggerManager final
    : public Implements<ITriggerManager, IConnectionPointContainer, ISupportErrorInfo> {
  public:
    explicit TriggerManager(const ManagerOptions& options);

    // IDispatch: no type information; the methods are reached through the method table only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // ITriggerManager
    HRESULT STDMETHODCALLTYPE Fire(BSTR data, BSTR* reply) override;
    HRESULT STDMETHODCALLTYPE AddTrigger(BSTR id, BSTR condition, LONG* added) override;
    HRESULT STDMETHODCALLTYPE RemoveTrigger(BSTR idOrPattern, LONG* removed) override;
    HRESULT STDMETHODCALLTYPE DeleteDatabase(LONG* deleted) override;
    HRESULT STDMETHODCALLTYPE Reserved11() override;
    HRESULT STDMETHODCALLTYPE Suspend() override;
    HRESULT STDMETHODCALLTYPE Resume() override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

  private:
    ~TriggerManager() override;

    // The reply text of one firing of `chain` at `depth`; delivers or queues its events.
    std::string FireAt(BSTR data, const std::shared_ptr<Chain>& chain, int depth);
    void Raise(FiredEvent event);

    std::atomic<bool> suspended_{false};
    const LONG chainBudget_;
    const bool evaluateEveryTrigger_;
    const std::shared_ptr<SinkList> sinks_;
    TriggerRegistry triggers_;
    // Lets the host list the triggers; delisted before they go.
    ListedRegistry listed_{triggers_};
    EventConnectionPoint point_;
    // Null: events are delivered on the thread that fires.
    std::unique_ptr<DeliveryThread> delivery_;
};
