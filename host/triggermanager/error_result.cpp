#include "triggermanager/error_result.h"

#include <new>
#include <string_view>

#include "companions/com_error.h"
#include "companions/error_report.h"
#include "triggermanager/failure_reports.h"

namespace {

HRESULT Report(HRESULT code, const IID& iid, OleStringView description) noexcept {
    ReportError(code, iid, description);
    ReportFailureToHost(code, description);
    return code;
}

}  // namespace

HRESULT ReportCaughtError(const IID& iid) noexcept {
    try {
        throw;
    } catch (const ComError& error) {
        return Report(error.code(), iid,
                      error.description().empty() ? OLESTR("the trigger manager failed")
                                                  : OleStringView(error.description()));
    } catch (const std::bad_alloc&) {
        return Report(E_OUTOFMEMORY, iid, OLESTR("out of memory"));
    } catch (...) {
        return Report(E_UNEXPECTED, iid, OLESTR("unexpected failure in the trigger manager"));
    }
}
