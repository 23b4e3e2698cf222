// A trigger manager that records every call the module makes on it, answers with programmed
// values, fails any call on request, and keeps the advised sink so a test can fire events into it.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "companions/com_ptr.h"
#include "companions/dispatch_stub.h"
#include "companions/implements.h"
#include "companions/ole_string.h"
#include "companions/trigger_manager.h"

namespace fakes {

enum class ManagerCall {
    QueryContainer,
    FindConnectionPoint,
    Advise,
    Unadvise,
    Fire,
    AddTrigger,
    RemoveTrigger,
    DeleteDatabase,
    Suspend,
    Resume,
};

// How a programmed call answers: its result code and what it leaves in its out-pointer.
enum class OutPointer { Usual, Null, WrittenAnyway };
struct Fault {
    HRESULT code = S_OK;
    OutPointer out = OutPointer::Usual;
};

// Its connection point is handed out by FindConnectionPoint only, never by QueryInterface.
class FakeTriggerManager final
    : public Implements<DispatchStub<ITriggerManager>, IConnectionPointContainer>,
      public IConnectionPoint {
  public:
    static ComPtr<FakeTriggerManager> Create();
    // Fake managers not yet destroyed, in the whole process.
    static int Alive() noexcept { return alive_.load(); }

    // Records and programs the query for IConnectionPointContainer.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return Implements::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Implements::Release(); }

    HRESULT STDMETHODCALLTYPE Fire(BSTR data, BSTR* reply) override;
    HRESULT STDMETHODCALLTYPE AddTrigger(BSTR id, BSTR condition, LONG* added) override;
    HRESULT STDMETHODCALLTYPE RemoveTrigger(BSTR idOrPattern, LONG* removed) override;
    HRESULT STDMETHODCALLTYPE DeleteDatabase(LONG* deleted) override;
    HRESULT STDMETHODCALLTYPE Reserved11() override;
    HRESULT STDMETHODCALLTYPE Suspend() override;
    HRESULT STDMETHODCALLTYPE Resume() override;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // Programming. A fault stays until cleared.
    void Program(ManagerCall call, Fault fault);
    void Fail(ManagerCall call, HRESULT code) { Program(call, Fault{code, OutPointer::Usual}); }
    void ClearFaults();
    void SetAddTriggerFlag(LONG flag);
    void SetDeleteDatabaseFlag(LONG flag);
    // The reply Fire hands back; nullopt hands back a null string.
    void SetFireReply(std::optional<OleString> reply);

    // Inspection. Arguments are recorded as UTF-8; a null string is recorded as "(null)".
    struct Call {
        ManagerCall call;
        std::vector<std::string> args;
    };
    std::vector<Call> Calls() const;
    // "Method(arg, arg)" for every call except the connection-point protocol.
    std::vector<std::string> CommandLog() const;
    std::vector<std::string> FirstArguments(ManagerCall call) const;
    int CountOf(ManagerCall call) const;
    void ClearCalls();
    ULONG RefCount() const noexcept { return References(); }
    bool HasSink() const;
    DWORD Cookie() const;

    // Calls the advised sink's Invoke as a manager does for TriggerFired: DISPID 1, the id in
    // rgvarg[1] and the data in rgvarg[0]. E_UNEXPECTED when no sink is advised.
    HRESULT RaiseTriggerFired(OleStringView id, OleStringView data);

  private:
    FakeTriggerManager();
    ~FakeTriggerManager() override;

    void Record(ManagerCall call, std::vector<std::string> args);
    std::optional<Fault> FaultFor(ManagerCall call) const;

    static std::atomic<int> alive_;

    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    std::map<ManagerCall, Fault> faults_;
    LONG addTriggerFlag_ = 1;
    LONG deleteDatabaseFlag_ = 1;
    std::optional<OleString> fireReply_ = OLESTR("<FireResult/>");
    ComPtr<IUnknown> sink_;
    DWORD cookie_ = 0;
    DWORD nextCookie_ = 0x51;
};

const char* NameOf(ManagerCall call);

}  // namespace fakes
