#include "fakes/event_arguments.h"

#include <new>

namespace fakes {

EventArguments::~EventArguments() {
    for (VARIANT& value : values_) {
        VariantClear(&value);
    }
}

EventArguments EventArguments::TriggerFired(std::optional<OleStringView> id,
                                            std::optional<OleStringView> data) {
    EventArguments arguments;
    arguments.String(data).String(id);
    return arguments;
}

EventArguments& EventArguments::String(std::optional<OleStringView> text) {
    // The slot is made first, so a string once allocated always has an owner.
    VARIANT& value = values_.emplace_back();
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = nullptr;
    if (text) {
        value.bstrVal = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
        if (value.bstrVal == nullptr) {
            throw std::bad_alloc();
        }
    }
    return *this;
}

EventArguments& EventArguments::Long(LONG number) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    values_.push_back(value);
    return *this;
}

EventArguments& EventArguments::Null() {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_NULL;
    values_.push_back(value);
    return *this;
}

DISPPARAMS* EventArguments::params() {
    params_.rgvarg = values_.empty() ? nullptr : values_.data();
    params_.rgdispidNamedArgs = nullptr;
    params_.cArgs = static_cast<UINT>(values_.size());
    params_.cNamedArgs = 0;
    return &params_;
}

}  // namespace fakes
