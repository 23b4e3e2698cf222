#include "request_fixture.h"

#include "boundary/exports.h"
#include "bridge/trigger_bridge.h"
#include "fakes/trigger_manager_factory.h"

namespace requests_test {

void ConnectedFixture::SetUp() {
    ModuleFixture::SetUp();
    manager_ = fakes::FakeTriggerManager::Create();
    fakes::TriggerManagerFactory::Enqueue(manager_);
    ASSERT_EQ(RegisterActions(), S_OK);
    manager_->ClearCalls();
}

void ConnectedFixture::TearDown() {
    manager_.reset();
    ModuleFixture::TearDown();
}

std::map<std::string, std::string> ConnectedFixture::Table() {
    TriggerActionTable& table = TriggerBridge::Instance().actionTable();
    std::map<std::string, std::string> entries;
    for (const std::string& id : table.Ids()) {
        entries[id] = table.CopyAction(id);
    }
    return entries;
}

}  // namespace requests_test
