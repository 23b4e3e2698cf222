#include "companions/error_report.h"

#include <string>

#include "companions/com_ptr.h"

HRESULT ReportError(HRESULT code, const IID& iid, OleStringView description) noexcept {
    try {
        ComPtr<ICreateErrorInfo> create;
        if (FAILED(CreateErrorInfo(create.put())) || !create) {
            return code;
        }
        OleString text(description);
        create->SetGUID(iid);
        create->SetDescription(text.data());
        ComPtr<IErrorInfo> info = create.As<IErrorInfo>();
        SetErrorInfo(0, info.get());
    } catch (...) {
        // Error information is a courtesy; the code itself still reaches the caller.
    }
    return code;
}
