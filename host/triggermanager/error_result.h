// The edge of every COM method and export of the trigger manager: the exception being handled
// becomes a result code, with a description in the thread's error information and in a report to
// the host's failure observer.
#pragma once

#include "platform/win32.h"

// For use inside catch (...): a ComError gives its code and description, std::bad_alloc
// E_OUTOFMEMORY, anything else E_UNEXPECTED.
HRESULT ReportCaughtError(const IID& iid) noexcept;
