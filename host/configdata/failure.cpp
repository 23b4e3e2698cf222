#include "configdata/failure.h"

#include "companions/error_report.h"
#include "companions/utf.h"
#include "configdata/utf_text.h"

namespace configdata {

HRESULT ReportFailure(HRESULT code, const IID& iid, std::string_view description) noexcept {
    try {
        const Bstr text = ToBstr(description);
        return ReportError(code, iid, text.view());
    } catch (...) {
        // Without memory for the description the code alone still tells the caller.
        return code;
    }
}

}  // namespace configdata
