#include "fakes/trigger_manager_factory.h"

#include <deque>
#include <mutex>
#include <vector>

namespace fakes {

namespace {

struct Plan {
    HRESULT code = S_OK;
    ComPtr<FakeTriggerManager> manager;
};

struct FactoryState {
    std::mutex mutex;
    std::deque<Plan> plans;
    std::vector<ComPtr<FakeTriggerManager>> defaults;
    int calls = 0;
};

FactoryState& State() {
    static FactoryState state;
    return state;
}

}  // namespace

void TriggerManagerFactory::Reset() {
    std::deque<Plan> plans;
    std::vector<ComPtr<FakeTriggerManager>> defaults;
    {
        FactoryState& state = State();
        const std::lock_guard lock(state.mutex);
        plans.swap(state.plans);
        defaults.swap(state.defaults);
        state.calls = 0;
    }
}

void TriggerManagerFactory::Enqueue(ComPtr<FakeTriggerManager> manager) {
    FactoryState& state = State();
    const std::lock_guard lock(state.mutex);
    state.plans.push_back(Plan{S_OK, std::move(manager)});
}

void TriggerManagerFactory::EnqueueFailure(HRESULT code, ComPtr<FakeTriggerManager> written) {
    FactoryState& state = State();
    const std::lock_guard lock(state.mutex);
    state.plans.push_back(Plan{code, std::move(written)});
}

FakeTriggerManager* TriggerManagerFactory::LastDefault() {
    FactoryState& state = State();
    const std::lock_guard lock(state.mutex);
    return state.defaults.empty() ? nullptr : state.defaults.back().get();
}

int TriggerManagerFactory::Calls() {
    FactoryState& state = State();
    const std::lock_guard lock(state.mutex);
    return state.calls;
}

}  // namespace fakes

// The seam itself. Success hands over one reference, as the real factory does.
STDAPI CreateTriggerManager(ITriggerManager** manager) {
    using fakes::FakeTriggerManager;
    if (manager == nullptr) {
        return E_POINTER;
    }
    *manager = nullptr;
    try {
        fakes::FactoryState& state = fakes::State();
        const std::lock_guard lock(state.mutex);
        ++state.calls;
        fakes::Plan plan;
        if (!state.plans.empty()) {
            plan = std::move(state.plans.front());
            state.plans.pop_front();
        } else {
            plan.manager = FakeTriggerManager::Create();
            state.defaults.push_back(plan.manager);
        }
        *manager = plan.manager.detach();
        return plan.code;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
