// A sink for ITriggerEvents that records every TriggerFired call, checks each call's arguments
// against the event contract, counts its references, and can run an action inside the event.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "companions/com_ptr.h"
#include "companions/dispatch_stub.h"
#include "companions/implements.h"

struct SinkCall {
    std::string id;
    std::string data;
    std::thread::id thread;
};

class RecordingSink final : public Implements<DispatchStub<IDispatch>> {
  public:
    enum class Answers { EventsAndDispatch, DispatchOnly, EventsOnly, Nothing };
    using Action = std::function<void(const SinkCall&)>;

    static ComPtr<RecordingSink> Create(Answers answers = Answers::EventsAndDispatch);

    // ITriggerEvents and IDispatch, as `answers` says, both through the one IDispatch.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    IUnknown* unknown() { return static_cast<IUnknown*>(this); }
    // Runs inside every event, after the call is recorded.
    void SetAction(Action action);

    std::vector<SinkCall> Calls() const;
    std::vector<std::string> Ids() const;
    std::size_t CallCount() const;
    // Every way a call broke the event contract (wrong DISPID, flags, argument count or types...).
    std::vector<std::string> Faults() const;
    // References held by others than the creator.
    ULONG ForeignReferences() const { return References() - 1; }
    // Objects of this class alive in the process.
    static int Alive() { return alive_.load(); }

  private:
    explicit RecordingSink(Answers answers);
    ~RecordingSink() override;

    const Answers answers_;
    mutable std::mutex lock_;
    std::vector<SinkCall> calls_;
    std::vector<std::string> faults_;
    Action action_;
    static std::atomic<int> alive_;
};
