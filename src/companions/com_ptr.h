// ComPtr<T>: the owning interface pointer. Say at every handover whether the pointer is adopted
// (ComPtr<T>::Adopt: the reference is ours already) or shared (ComPtr<T>::Share: add one).
#pragma once

#include <utility>

#include "companions/com_error.h"

template <class T>
class ComPtr {
  public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    ComPtr(const ComPtr& other) noexcept : pointer_(other.pointer_) { AddRefIfSet(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& other) noexcept {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }

    static ComPtr Adopt(T* pointer) noexcept {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }
    static ComPtr Share(T* pointer) noexcept {
        ComPtr result;
        result.pointer_ = pointer;
        result.AddRefIfSet();
        return result;
    }

    T* get() const noexcept { return pointer_; }
    T* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // Releases what is held, then gives the slot for an out-parameter to fill.
    T** put() noexcept {
        reset();
        return &pointer_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    void reset() noexcept {
        if (T* old = std::exchange(pointer_, nullptr)) {
            old->Release();
        }
    }
    T* detach() noexcept { return std::exchange(pointer_, nullptr); }
    void swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

    // Queries for another interface. E_NOINTERFACE gives an empty pointer and no error; any
    // other failure raises a ComError carrying the queried interface's id.
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> result;
        if (pointer_ == nullptr) {
            return result;
        }
        const HRESULT code = pointer_->QueryInterface(IidOf<U>(), result.put_void());
        if (code == E_NOINTERFACE) {
            result.reset();
            return result;
        }
        if (FAILED(code)) {
            ThrowComError(code, IidOf<U>(), pointer_);
        }
        return result;
    }

  private:
    void AddRefIfSet() noexcept {
        if (pointer_ != nullptr) {
            pointer_->AddRef();
        }
    }

    T* pointer_ = nullptr;
};
