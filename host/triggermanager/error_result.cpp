#include "triggermanager/error_result.h"

#include <new>

#include "companions/com_error.h"
#include "companions/error_report.h"

HRESULT ReportCaughtError(const IID& iid) noexcept {
    try {
        throw;
    } catch (const ComError& error) {
        return ReportError(error.code(), iid,
                           error.description().empty() ? u"the trigger manager failed"
                                                       : std::u16string_view(error.description()));
    } catch (const std::bad_alloc&) {
        return ReportError(E_OUTOFMEMORY, iid, u"out of memory");
    } catch (...) {
        return ReportError(E_UNEXPECTED, iid, u"unexpected failure in the trigger manager");
    }
}
