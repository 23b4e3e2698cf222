#include "fakes/fake_trigger_manager.h"

#include <new>
#include <utility>

#include "companions/utf.h"
#include "fakes/event_arguments.h"

namespace fakes {

namespace {

std::string Recorded(const OLECHAR* text) {
    return text != nullptr ? ToUtf8(text) : std::string("(null)");
}

// A programmed failure leaves the out-pointer as the fault says; success is the caller's to write.
template <class T>
HRESULT AnswerFault(const Fault& fault, T** out, T* self) {
    *out = nullptr;
    if (fault.out == OutPointer::WrittenAnyway) {
        self->AddRef();
        *out = self;
    }
    return fault.code;
}

}  // namespace

std::atomic<int> FakeTriggerManager::alive_{0};

const char* NameOf(ManagerCall call) {
    switch (call) {
        case ManagerCall::QueryContainer:
            return "QueryInterface(IConnectionPointContainer)";
        case ManagerCall::FindConnectionPoint:
            return "FindConnectionPoint";
        case ManagerCall::Advise:
            return "Advise";
        case ManagerCall::Unadvise:
            return "Unadvise";
        case ManagerCall::Fire:
            return "Fire";
        case ManagerCall::AddTrigger:
            return "AddTrigger";
        case ManagerCall::RemoveTrigger:
            return "RemoveTrigger";
        case ManagerCall::DeleteDatabase:
            return "DeleteDatabase";
        case ManagerCall::Suspend:
            return "Suspend";
        case ManagerCall::Resume:
            return "Resume";
    }
    return "?";
}

FakeTriggerManager::FakeTriggerManager() {
    ++alive_;
}

FakeTriggerManager::~FakeTriggerManager() {
    --alive_;
}

ComPtr<FakeTriggerManager> FakeTriggerManager::Create() {
    return ComPtr<FakeTriggerManager>::Adopt(new FakeTriggerManager);
}

HRESULT FakeTriggerManager::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr || !IsEqualIID(riid, IID_IConnectionPointContainer)) {
        return Implements::QueryInterface(riid, object);
    }
    try {
        Record(ManagerCall::QueryContainer, {});
        IConnectionPointContainer* self = this;
        auto** out = reinterpret_cast<IConnectionPointContainer**>(object);
        if (const auto fault = FaultFor(ManagerCall::QueryContainer)) {
            return AnswerFault(*fault, out, self);
        }
        *out = self;
        AddRef();
        return S_OK;
    } catch (...) {
        *object = nullptr;
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::Fire(BSTR data, BSTR* reply) {
    try {
        Record(ManagerCall::Fire, {Recorded(data)});
        if (reply == nullptr) {
            return E_POINTER;
        }
        *reply = nullptr;
        if (const auto fault = FaultFor(ManagerCall::Fire)) {
            return fault->code;
        }
        std::optional<OleString> text;
        {
            const std::lock_guard lock(mutex_);
            text = fireReply_;
        }
        if (text) {
            *reply = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
            if (*reply == nullptr) {
                return E_OUTOFMEMORY;
            }
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::AddTrigger(BSTR id, BSTR condition, LONG* added) {
    try {
        Record(ManagerCall::AddTrigger, {Recorded(id), Recorded(condition)});
        if (added == nullptr) {
            return E_POINTER;
        }
        *added = 0;
        if (const auto fault = FaultFor(ManagerCall::AddTrigger)) {
            return fault->code;
        }
        const std::lock_guard lock(mutex_);
        *added = addTriggerFlag_;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::RemoveTrigger(BSTR idOrPattern, LONG* removed) {
    try {
        Record(ManagerCall::RemoveTrigger, {Recorded(idOrPattern)});
        if (removed == nullptr) {
            return E_POINTER;
        }
        *removed = 0;
        if (const auto fault = FaultFor(ManagerCall::RemoveTrigger)) {
            return fault->code;
        }
        *removed = 1;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::DeleteDatabase(LONG* deleted) {
    try {
        Record(ManagerCall::DeleteDatabase, {});
        if (deleted == nullptr) {
            return E_POINTER;
        }
        *deleted = 0;
        if (const auto fault = FaultFor(ManagerCall::DeleteDatabase)) {
            return fault->code;
        }
        const std::lock_guard lock(mutex_);
        *deleted = deleteDatabaseFlag_;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::Reserved11() {
    return E_NOTIMPL;
}

HRESULT FakeTriggerManager::Suspend() {
    try {
        Record(ManagerCall::Suspend, {});
        const auto fault = FaultFor(ManagerCall::Suspend);
        return fault ? fault->code : S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::Resume() {
    try {
        Record(ManagerCall::Resume, {});
        const auto fault = FaultFor(ManagerCall::Resume);
        return fault ? fault->code : S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) {
        *points = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT FakeTriggerManager::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    try {
        const bool events = IsEqualIID(riid, IID_ITriggerEvents);
        Record(ManagerCall::FindConnectionPoint, {events ? "ITriggerEvents" : "other"});
        if (point == nullptr) {
            return E_POINTER;
        }
        *point = nullptr;
        IConnectionPoint* self = this;
        if (const auto fault = FaultFor(ManagerCall::FindConnectionPoint)) {
            return AnswerFault(*fault, point, self);
        }
        if (!events) {
            return CONNECT_E_NOCONNECTION;
        }
        *point = self;
        AddRef();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) {
        return E_POINTER;
    }
    *iid = IID_ITriggerEvents;
    return S_OK;
}

HRESULT FakeTriggerManager::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) {
        return E_POINTER;
    }
    *container = this;
    AddRef();
    return S_OK;
}

HRESULT FakeTriggerManager::Advise(IUnknown* sink, DWORD* cookie) {
    try {
        Record(ManagerCall::Advise, {});
        if (sink == nullptr || cookie == nullptr) {
            return E_POINTER;
        }
        *cookie = 0;
        if (const auto fault = FaultFor(ManagerCall::Advise)) {
            return fault->code;
        }
        // A connection point holds the sink through the outgoing interface it serves.
        ComPtr<IUnknown> events;
        if (FAILED(sink->QueryInterface(IID_ITriggerEvents, events.put_void())) || !events) {
            return CONNECT_E_CANNOTCONNECT;
        }
        const std::lock_guard lock(mutex_);
        if (sink_) {
            return CONNECT_E_ADVISELIMIT;
        }
        sink_ = std::move(events);
        cookie_ = nextCookie_++;
        *cookie = cookie_;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::Unadvise(DWORD cookie) {
    try {
        Record(ManagerCall::Unadvise, {std::to_string(cookie)});
        if (const auto fault = FaultFor(ManagerCall::Unadvise)) {
            return fault->code;
        }
        ComPtr<IUnknown> released;
        {
            const std::lock_guard lock(mutex_);
            if (!sink_ || cookie != cookie_) {
                return CONNECT_E_NOCONNECTION;
            }
            released = std::move(sink_);
            cookie_ = 0;
        }
        // Released outside the lock: the sink may call back while it goes.
        released.reset();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeTriggerManager::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) {
        *connections = nullptr;
    }
    return E_NOTIMPL;
}

void FakeTriggerManager::Program(ManagerCall call, Fault fault) {
    const std::lock_guard lock(mutex_);
    if (fault.code == S_OK && fault.out == OutPointer::Usual) {
        faults_.erase(call);
    } else {
        faults_[call] = fault;
    }
}

void FakeTriggerManager::ClearFaults() {
    const std::lock_guard lock(mutex_);
    faults_.clear();
}

void FakeTriggerManager::SetAddTriggerFlag(LONG flag) {
    const std::lock_guard lock(mutex_);
    addTriggerFlag_ = flag;
}

void FakeTriggerManager::SetDeleteDatabaseFlag(LONG flag) {
    const std::lock_guard lock(mutex_);
    deleteDatabaseFlag_ = flag;
}

void FakeTriggerManager::SetFireReply(std::optional<OleString> reply) {
    const std::lock_guard lock(mutex_);
    fireReply_ = std::move(reply);
}

std::vector<FakeTriggerManager::Call> FakeTriggerManager::Calls() const {
    const std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::string> FakeTriggerManager::CommandLog() const {
    std::vector<std::string> log;
    for (const Call& call : Calls()) {
        switch (call.call) {
            case ManagerCall::QueryContainer:
            case ManagerCall::FindConnectionPoint:
            case ManagerCall::Advise:
            case ManagerCall::Unadvise:
                continue;
            default:
                break;
        }
        std::string line = NameOf(call.call);
        line += '(';
        for (std::size_t i = 0; i < call.args.size(); ++i) {
            line += (i == 0 ? "" : ", ") + call.args[i];
        }
        line += ')';
        log.push_back(std::move(line));
    }
    return log;
}

std::vector<std::string> FakeTriggerManager::FirstArguments(ManagerCall call) const {
    std::vector<std::string> arguments;
    for (const Call& recorded : Calls()) {
        if (recorded.call == call) {
            arguments.push_back(recorded.args.empty() ? std::string() : recorded.args.front());
        }
    }
    return arguments;
}

int FakeTriggerManager::CountOf(ManagerCall call) const {
    int count = 0;
    for (const Call& recorded : Calls()) {
        count += recorded.call == call ? 1 : 0;
    }
    return count;
}

void FakeTriggerManager::ClearCalls() {
    const std::lock_guard lock(mutex_);
    calls_.clear();
}

bool FakeTriggerManager::HasSink() const {
    const std::lock_guard lock(mutex_);
    return static_cast<bool>(sink_);
}

DWORD FakeTriggerManager::Cookie() const {
    const std::lock_guard lock(mutex_);
    return cookie_;
}

HRESULT FakeTriggerManager::RaiseTriggerFired(OleStringView id, OleStringView data) {
    ComPtr<IUnknown> sink;
    {
        const std::lock_guard lock(mutex_);
        sink = sink_;
    }
    if (!sink) {
        return E_UNEXPECTED;
    }
    const ComPtr<IDispatch> dispatch = sink.As<IDispatch>();
    if (!dispatch) {
        return E_NOINTERFACE;
    }
    EventArguments arguments = EventArguments::TriggerFired(id, data);
    return dispatch->Invoke(DISPID_TRIGGERFIRED, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                            arguments.params(), nullptr, nullptr, nullptr);
}

void FakeTriggerManager::Record(ManagerCall call, std::vector<std::string> args) {
    const std::lock_guard lock(mutex_);
    calls_.push_back(Call{call, std::move(args)});
}

std::optional<Fault> FakeTriggerManager::FaultFor(ManagerCall call) const {
    const std::lock_guard lock(mutex_);
    const auto found = faults_.find(call);
    if (found == faults_.end()) {
        return std::nullopt;
    }
    return found->second;
}

}  // namespace fakes
