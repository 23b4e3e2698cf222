// A DispatchObject that advises itself on one event interface of a source's connection point.
#pragma once

#include "bridge/dispatch_object.h"

class EventSink : public DispatchObject {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

    // Advises this sink on `object`'s connection point for the trigger events.
    HRESULT AdviseSource(IUnknown* object);
    // Unadvises from the source recorded by AdviseSource.
    HRESULT UnadviseSource();

    IUnknown* adviseSource() const noexcept { return source; }
    DWORD adviseCookie() const noexcept { return cookie; }

  protected:
    EventSink() = default;
    ~EventSink() override;

    // Drops the record of the source once the object it names is released, so a failed
    // unadvise cannot leave a dangling record that refuses every later advise.
    void ForgetSource() noexcept { source = nullptr; }

  private:
    // Not reference-counted: the sink only records what it is advised on.
    IUnknown* source = nullptr;
    IID eventIid = GUID_NULL;
    DWORD cookie = 0;
};
