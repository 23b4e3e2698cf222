#include "companions/com_error.h"

#include <cstdio>
#include <new>

#include "companions/bstr.h"
#include "companions/com_ptr.h"

namespace {

OleString DescriptionOf(const IID& iid, IUnknown* object) {
    if (object == nullptr) {
        return {};
    }
    ComPtr<ISupportErrorInfo> support;
    if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, support.put_void())) || !support ||
        support->InterfaceSupportsErrorInfo(iid) != S_OK) {
        return {};
    }
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return {};
    }
    Bstr description;
    if (FAILED(info->GetDescription(description.put())) || !description) {
        return {};
    }
    return OleString(description.view());
}

std::string Describe(HRESULT code, const OleString& description) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "HRESULT 0x%08X", static_cast<unsigned>(code));
    std::string text = buffer;
    if (!description.empty()) {
        text += ": ";
        for (const OLECHAR c : description) {
            text += c < 0x80 ? static_cast<char>(c) : '?';
        }
    }
    return text;
}

}  // namespace

ComError::ComError(HRESULT code, const IID* iid, OleString description)
    : code_(code),
      iid_(iid != nullptr ? *iid : GUID_NULL),
      description_(std::move(description)),
      what_(Describe(code, description_)) {}

void ThrowComError(HRESULT code) {
    throw ComError(code, nullptr, {});
}

void ThrowComError(HRESULT code, const IID& iid, IUnknown* object) {
    throw ComError(code, &iid, DescriptionOf(iid, object));
}

HRESULT ResultFromCaughtException() noexcept {
    try {
        throw;
    } catch (const ComError& error) {
        return error.code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
