#include "fakes/config_document_factory.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <cstring>
#include <map>
#include <mutex>
#include <optional>

namespace fakes {

namespace {

using Factory = HRESULT(STDAPICALLTYPE*)(IConfigDocument**);

struct CreationFailure {
    HRESULT code = E_FAIL;
    bool writePointer = false;
};

struct FactoryState {
    std::mutex mutex;
    std::optional<CreationFailure> failEvery;
    std::map<int, CreationFailure> failures;
    std::optional<DocumentFaults> faultsForAll;
    std::map<int, DocumentFaults> faults;
    int calls = 0;
    int created = 0;
};

FactoryState& State() {
    static FactoryState state;
    return state;
}

// The real factory. On Windows the library's, reached by ordinal as the host's library offers
// it; elsewhere the next definition after this program's own, or else the library's by name.
Factory RealFactory() {
    static const Factory real = [] {
#ifdef _WIN32
        HMODULE library = LoadLibraryA("configdata.dll");
        FARPROC symbol =
            library != nullptr ? GetProcAddress(library, MAKEINTRESOURCEA(3)) : nullptr;
#else
        void* symbol = dlsym(RTLD_NEXT, "CreateConfigDocument");
        if (symbol == nullptr) {
            if (void* library = dlopen("libconfigdata.so", RTLD_NOW | RTLD_LOCAL)) {
                symbol = dlsym(library, "CreateConfigDocument");
            }
        }
#endif
        Factory factory = nullptr;
        static_assert(sizeof factory == sizeof symbol);
        std::memcpy(&factory, &symbol, sizeof factory);
        return factory;
    }();
    return real;
}

ComPtr<IConfigDocument> MakeDocument(const DocumentFaults& faults) {
    const Factory real = RealFactory();
    if (real == nullptr) {
        return nullptr;
    }
    IConfigDocument* created = nullptr;
    if (FAILED(real(&created))) {
        if (created != nullptr) {
            created->Release();
        }
        return nullptr;
    }
    ComPtr<DecoratedConfigDocument> wrapped =
        DecoratedConfigDocument::Wrap(ComPtr<IConfigDocument>::Adopt(created), faults);
    return ComPtr<IConfigDocument>::Adopt(wrapped.detach());
}

}  // namespace

void ConfigDocumentFactory::Reset() {
    FactoryState& state = State();
    const std::lock_guard lock(state.mutex);
    state.failEvery.reset();
    state.failures.clear();
    state.faultsForAll.reset();
    state.faults.clear();
    state.calls = 0;
    state.created = 0;
}

void ConfigDocumentFactory::FailEvery(HRESULT code, bool writePointer) {
    const std::lock_guard lock(State().mutex);
    State().failEvery = CreationFailure{code, writePointer};
}

void ConfigDocumentFactory::FailCreation(int index, HRESULT code, bool writePointer) {
    const std::lock_guard lock(State().mutex);
    State().failures[index] = CreationFailure{code, writePointer};
}

void ConfigDocumentFactory::SetFaults(int index, const DocumentFaults& faults) {
    const std::lock_guard lock(State().mutex);
    State().faults[index] = faults;
}

void ConfigDocumentFactory::SetFaultsForAll(const DocumentFaults& faults) {
    const std::lock_guard lock(State().mutex);
    State().faultsForAll = faults;
}

int ConfigDocumentFactory::Calls() {
    const std::lock_guard lock(State().mutex);
    return State().calls;
}

int ConfigDocumentFactory::Created() {
    const std::lock_guard lock(State().mutex);
    return State().created;
}

bool ConfigDocumentFactory::RealAvailable() {
    return RealFactory() != nullptr;
}

}  // namespace fakes

STDAPI CreateConfigDocument(IConfigDocument** document) {
    using namespace fakes;
    if (document == nullptr) {
        return E_POINTER;
    }
    *document = nullptr;
    try {
        std::optional<CreationFailure> failure;
        DocumentFaults faults;
        {
            FactoryState& state = State();
            const std::lock_guard lock(state.mutex);
            const int index = state.calls++;
            failure = state.failEvery;
            if (const auto found = state.failures.find(index); found != state.failures.end()) {
                failure = found->second;
            }
            if (state.faultsForAll) {
                faults = *state.faultsForAll;
            }
            if (const auto found = state.faults.find(index); found != state.faults.end()) {
                faults = found->second;
            }
        }
        if (failure) {
            if (failure->writePointer) {
                *document = MakeDocument(DocumentFaults{}).detach();
            }
            return failure->code;
        }
        ComPtr<IConfigDocument> made = MakeDocument(faults);
        if (!made) {
            return E_FAIL;
        }
        {
            const std::lock_guard lock(State().mutex);
            ++State().created;
        }
        *document = made.detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
