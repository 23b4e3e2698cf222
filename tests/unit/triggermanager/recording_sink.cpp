#include "recording_sink.h"

#include "companions/trigger_manager.h"
#include "companions/utf.h"

std::atomic<int> RecordingSink::alive_{0};

RecordingSink::RecordingSink(Answers answers) : answers_(answers) {
    ++alive_;
}

RecordingSink::~RecordingSink() {
    --alive_;
}

ComPtr<RecordingSink> RecordingSink::Create(Answers answers) {
    return ComPtr<RecordingSink>::Adopt(new RecordingSink(answers));
}

HRESULT RecordingSink::QueryInterface(REFIID riid, void** object) {
    const bool events = answers_ == Answers::EventsAndDispatch || answers_ == Answers::EventsOnly;
    const bool dispatch =
        answers_ == Answers::EventsAndDispatch || answers_ == Answers::DispatchOnly;
    if (IsEqualIID(riid, IID_ITriggerEvents)) {
        return Implements::QueryInterface(events ? IID_IDispatch : GUID_NULL, object);
    }
    return Implements::QueryInterface(
        IsEqualIID(riid, IID_IDispatch) && !dispatch ? GUID_NULL : riid, object);
}

HRESULT RecordingSink::Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                              DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    std::vector<std::string> faults;
    if (member != DISPID_TRIGGERFIRED) {
        faults.push_back("DISPID " + std::to_string(member));
    }
    if (!IsEqualIID(riid, IID_NULL)) {
        faults.push_back("interface id is not IID_NULL");
    }
    if (locale != LOCALE_USER_DEFAULT) {
        faults.push_back("locale " + std::to_string(locale));
    }
    if (flags != DISPATCH_METHOD) {
        faults.push_back("flags " + std::to_string(flags));
    }
    SinkCall call{{}, {}, std::this_thread::get_id()};
    if (params == nullptr) {
        faults.push_back("no DISPPARAMS");
    } else {
        if (params->cArgs != 2 || params->rgvarg == nullptr) {
            faults.push_back("argument count " + std::to_string(params->cArgs));
        }
        if (params->cNamedArgs != 0 || params->rgdispidNamedArgs != nullptr) {
            faults.push_back("named arguments");
        }
        if (params->cArgs == 2 && params->rgvarg != nullptr) {
            if (params->rgvarg[0].vt != VT_BSTR || params->rgvarg[1].vt != VT_BSTR) {
                faults.push_back("arguments are not BSTR");
            } else {
                call.id = ToUtf8(params->rgvarg[1].bstrVal);
                call.data = ToUtf8(params->rgvarg[0].bstrVal);
            }
        }
    }
    Action action;
    {
        std::lock_guard<std::mutex> guard(lock_);
        calls_.push_back(call);
        faults_.insert(faults_.end(), faults.begin(), faults.end());
        action = action_;
    }
    if (action) {
        action(call);
    }
    return S_OK;
}

void RecordingSink::SetAction(Action action) {
    std::lock_guard<std::mutex> guard(lock_);
    action_ = std::move(action);
}

std::vector<SinkCall> RecordingSink::Calls() const {
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
}

std::vector<std::string> RecordingSink::Ids() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> ids;
    for (const SinkCall& call : calls_) {
        ids.push_back(call.id);
    }
    return ids;
}

std::size_t RecordingSink::CallCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return calls_.size();
}

std::vector<std::string> RecordingSink::Faults() const {
    std::lock_guard<std::mutex> guard(lock_);
    return faults_;
}
