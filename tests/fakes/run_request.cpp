#include "fakes/run_request.h"

#include "boundary/exports.h"
#include "companions/bstr.h"
#include "companions/utf.h"

namespace fakes {

namespace {

RunOutcome Run(BSTR request) {
    Bstr result;
    RunOutcome outcome;
    outcome.code = RunAction(request, result.put());
    if (result) {
        outcome.result = ToUtf8(result.view());
    }
    return outcome;
}

}  // namespace

RunOutcome RunRequest(std::optional<std::string_view> request) {
    if (!request) {
        return Run(nullptr);
    }
    const Bstr text = ToBstr(*request);
    return Run(text.get());
}

RunOutcome RunRequest(OleStringView request) {
    const Bstr text = Bstr::Copy(request);
    return Run(text.get());
}

}  // namespace fakes
