// Implements<Interfaces...>: the reference count and QueryInterface of a COM class, made from the
// list of interfaces it implements, in the manner of C++/WinRT's implements<>. The object starts
// with one reference, its creator's, and deletes itself with the last. QueryInterface answers
// IUnknown, each listed interface, and the intermediate interfaces (IDispatch, IXMLDOMNode) a
// listed one derives from. A class that implements an interface through a helper base
// (ConfigDocumentSlots) lists the helper, whose ComInterface names the interface.
// AnswersFor<Interfaces...> is the QueryInterface alone, for an object whose count is another's
// (a part of its owner that shares the owner's count).
#pragma once

#include <atomic>
#include <type_traits>

#include "companions/iid_of.h"

template <class First, class... Others>
class AnswersFor : public First, public Others... {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = Find(riid);
        if (*object == nullptr) {
            return E_NOINTERFACE;
        }
        static_cast<First*>(this)->AddRef();
        return S_OK;
    }

  private:
    template <class Interface, class... Bases>
    static bool AnswersAs(REFIID riid) noexcept {
        return ((std::is_base_of_v<Bases, Interface> && IsEqualIID(riid, IidOf<Bases>())) || ...);
    }

    template <class Base>
    void* Answer(REFIID riid) noexcept {
        using Interface = typename ComInterfaceOf<Base>::type;
        return AnswersAs<Interface, Interface, IDispatch, IXMLDOMNode>(riid)
                   ? static_cast<Interface*>(static_cast<Base*>(this))
                   : nullptr;
    }

    void* Find(REFIID riid) noexcept {
        if (IsEqualIID(riid, IID_IUnknown)) {
            return static_cast<IUnknown*>(static_cast<First*>(this));
        }
        void* found = Answer<First>(riid);
        ((found = found != nullptr ? found : Answer<Others>(riid)), ...);
        return found;
    }
};

template <class... Interfaces>
class Implements : public AnswersFor<Interfaces...> {
  public:
    ULONG STDMETHODCALLTYPE AddRef() override {
        return references_.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    // The last release sees every write made before the others.
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    Implements(const Implements&) = delete;
    Implements& operator=(const Implements&) = delete;

  protected:
    Implements() = default;
    // After every slot of the first interface, so its method table keeps the interface's layout.
    virtual ~Implements() = default;

    // For objects that report their count to tests.
    ULONG References() const noexcept { return references_.load(); }

  private:
    std::atomic<ULONG> references_{1};
};
