// The action-manager seam: this test library defines AddAction and DoAction, records what the
// module passes, and answers as each test programs it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "companions/ole_string.h"

namespace fakes {

struct AddedAction {
    std::string category;
    std::string name;
    std::string modulePath;
    std::string entry;
    LONG flags = 0;
};

class ActionManagerFake {
  public:
    // Forgets the records and restores the default answers (S_OK, and a result string).
    static void Reset();

    static void SetAddActionResult(HRESULT code);
    static std::vector<AddedAction> Added();

    // DoAction's return value and the result string it hands back (nullopt: none).
    static void SetDoActionAnswer(HRESULT code, std::optional<OleString> result);
    // Runs inside DoAction, after the request is recorded and without any lock of the fake held.
    static void OnDoAction(std::function<void(const std::string& request)> hook);
    // Every DoAction request, as UTF-8.
    static std::vector<std::string> Requests();
};

}  // namespace fakes
