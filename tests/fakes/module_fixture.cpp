#include "fakes/module_fixture.h"

#include "boundary/exports.h"
#include "bridge/trigger_bridge.h"
#include "fakes/config_document_factory.h"
#include "fakes/fake_action_manager.h"
#include "fakes/fake_trigger_manager.h"
#include "fakes/trigger_manager_factory.h"

namespace fakes {

void ResetProcessBridge() {
    TriggerBridge& bridge = TriggerBridge::Instance();
    if (auto* manager = dynamic_cast<FakeTriggerManager*>(bridge.triggerManager())) {
        manager->ClearFaults();
    }
    ActionManagerFake::OnDoAction(nullptr);
    StopHandler();  // refused when the bridge is not connected, which is fine here
    if (bridge.triggerManager() != nullptr) {
        // A manager kept after a refused advise goes with the next connection attempt.
        TriggerManagerFactory::EnqueueFailure(E_FAIL);
        bridge.Connect();
    }
    bridge.actionTable().Clear();
}

void ResetFakes() {
    ActionManagerFake::Reset();
    TriggerManagerFactory::Reset();
    ConfigDocumentFactory::Reset();
}

void ModuleFixture::SetUp() {
    ResetFakes();
}

void ModuleFixture::TearDown() {
    ResetProcessBridge();
    ResetFakes();
    EXPECT_EQ(FakeTriggerManager::Alive(), 0) << "a trigger manager reference was leaked";
    EXPECT_EQ(ConfigDocumentFactory::Alive(), 0) << "a configuration document was leaked";
}

}  // namespace fakes
