// What the request tests share: the process-wide bridge connected to a manager each test programs,
// and a view of the bridge's table.
#pragma once

#include <map>
#include <string>

#include "companions/com_ptr.h"
#include "fakes/fake_trigger_manager.h"
#include "fakes/module_fixture.h"

namespace requests_test {

// The result document of a fire whose reply is empty or absent: a Result element without text.
inline constexpr std::string_view kEmptyResult = "<ActionResult><Result/></ActionResult>";

class ConnectedFixture : public fakes::ModuleFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Every entry of the process-wide bridge's table: id -> action text.
    static std::map<std::string, std::string> Table();

    ComPtr<fakes::FakeTriggerManager> manager_;
};

}  // namespace requests_test
