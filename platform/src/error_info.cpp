// Error information objects and the per-thread slot that carries one from a failing method to
// its caller.
#include <atomic>
#include <mutex>
#include <new>
#include <optional>
#include <string>

#include "platform/win32.h"

namespace {

// Both faces of one error object: the writer fills it through ICreateErrorInfo, the reader
// takes it as IErrorInfo. Either face may be released last, from any thread.
class ErrorInfo final : public ICreateErrorInfo, public IErrorInfo {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_ICreateErrorInfo) {
            *object = static_cast<ICreateErrorInfo*>(this);
        } else if (riid == IID_IErrorInfo) {
            *object = static_cast<IErrorInfo*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return references_.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE SetGUID(REFGUID guid) override {
        const std::lock_guard lock(mutex_);
        guid_ = guid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR source) override { return Store(source_, source); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR description) override {
        return Store(description_, description);
    }
    HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR helpFile) override {
        return Store(helpFile_, helpFile);
    }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD helpContext) override {
        const std::lock_guard lock(mutex_);
        helpContext_ = helpContext;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override {
        if (guid == nullptr) {
            return E_INVALIDARG;
        }
        const std::lock_guard lock(mutex_);
        *guid = guid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* source) override { return Load(source_, source); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override {
        return Load(description_, description);
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* helpFile) override {
        return Load(helpFile_, helpFile);
    }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* helpContext) override {
        if (helpContext == nullptr) {
            return E_INVALIDARG;
        }
        const std::lock_guard lock(mutex_);
        *helpContext = helpContext_;
        return S_OK;
    }

  private:
    using Text = std::optional<std::u16string>;

    ~ErrorInfo() = default;

    HRESULT Store(Text& field, LPCOLESTR text) {
        try {
            Text copy;
            if (text != nullptr) {
                copy.emplace(text);
            }
            const std::lock_guard lock(mutex_);
            field.swap(copy);
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    // A field never set reads as a null string, one set to "" as an empty one.
    HRESULT Load(const Text& field, BSTR* text) {
        if (text == nullptr) {
            return E_INVALIDARG;
        }
        *text = nullptr;
        const std::lock_guard lock(mutex_);
        if (!field) {
            return S_OK;
        }
        *text = SysAllocStringLen(field->data(), static_cast<UINT>(field->size()));
        return *text != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    std::atomic<ULONG> references_{1};
    std::mutex mutex_;
    GUID guid_ = GUID_NULL;
    Text source_;
    Text description_;
    Text helpFile_;
    DWORD helpContext_ = 0;
};

// The calling thread's error object; the reference it holds is dropped when the thread ends.
class ThreadErrorSlot {
  public:
    ThreadErrorSlot() = default;
    ThreadErrorSlot(const ThreadErrorSlot&) = delete;
    ThreadErrorSlot& operator=(const ThreadErrorSlot&) = delete;
    ~ThreadErrorSlot() { Replace(nullptr); }

    void Replace(IErrorInfo* info) {
        if (info != nullptr) {
            info->AddRef();
        }
        IErrorInfo* old = info_;
        info_ = info;
        if (old != nullptr) {
            old->Release();
        }
    }
    IErrorInfo* Take() {
        IErrorInfo* info = info_;
        info_ = nullptr;
        return info;
    }

  private:
    IErrorInfo* info_ = nullptr;
};

thread_local ThreadErrorSlot threadError;

}  // namespace

extern "C" {

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
    if (info == nullptr) {
        return E_INVALIDARG;
    }
    *info = new (std::nothrow) ErrorInfo();
    return *info != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetErrorInfo(ULONG /*reserved*/, IErrorInfo* info) {
    threadError.Replace(info);
    return S_OK;
}

HRESULT GetErrorInfo(ULONG /*reserved*/, IErrorInfo** info) {
    if (info == nullptr) {
        return E_INVALIDARG;
    }
    *info = threadError.Take();
    return *info != nullptr ? S_OK : S_FALSE;
}

}  // extern "C"
