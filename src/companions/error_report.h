// Error information for COM methods of the host services: a description set on the thread
// beside the failing result code, so callers can read it through ISupportErrorInfo.
#pragma once

#include "companions/ole_string.h"

// Sets the thread's error information (source interface and description) and returns `code`,
// so a method can end with `return ReportError(code, IID_..., OLESTR("..."))`.
HRESULT ReportError(HRESULT code, const IID& iid, OleStringView description) noexcept;
