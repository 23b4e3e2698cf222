// Fired triggers handled per second, on one thread and on two at once (the table's lock covers
// only the copy of the action, so two cores should nearly double it), beside the bare DOM work
// of one event: two loads, the merge and the serialisation.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "bridge/trigger_bridge.h"
#include "companions/bstr.h"
#include "companions/com_ptr.h"
#include "companions/config_document.h"

namespace {

constexpr char16_t kId[] = u"door.front";
constexpr char16_t kData[] =
    u"<?xml version=\"1.0\"?> <TriggerData><door id=\"front\" state=\"open\"/></TriggerData>";
constexpr char kAction[] =
    "<Action type=\"host\" name=\"log\"><Alert level=\"high\">Front door opened</Alert></Action>";

TriggerBridge& Bridge() {
    static TriggerBridge* bridge = [] {
        auto* made = new TriggerBridge;
        made->actionTable().Set("door.front", kAction);
        return made;
    }();
    return *bridge;
}

void HandleEvent(benchmark::State& state) {
    TriggerBridge& bridge = Bridge();
    const Bstr id = Bstr::Copy(kId);
    const Bstr data = Bstr::Copy(kData);
    for (auto _ : state) {
        if (bridge.HandleTriggerFired(id.get(), data.get()) != S_OK) {
            state.SkipWithError("event not handled");
        }
    }
    state.SetItemsProcessed(state.iterations());
}

ComPtr<IConfigDocument> Loaded(BSTR text) {
    ComPtr<IConfigDocument> document;
    ThrowIfFailed(CreateConfigDocument(document.put()));
    LONG loaded = 0;
    ThrowIfFailed(document->LoadXml(text, &loaded), document.get());
    return document;
}

void HandleEventFloor(benchmark::State& state) {
    const Bstr data = Bstr::Copy(kData);
    const Bstr action = Bstr::Copy(
        u"<Action type=\"host\" name=\"log\"><Alert level=\"high\">"
        u"Front door opened</Alert></Action>");
    for (auto _ : state) {
        const ComPtr<IConfigDocument> dataDocument = Loaded(data.get());
        const ComPtr<IConfigDocument> actionDocument = Loaded(action.get());
        LONG combined = 0;
        ThrowIfFailed(actionDocument->Combine(dataDocument.get(), &combined), actionDocument.get());
        ComPtr<IUnknown> wrapped;
        ThrowIfFailed(actionDocument->GetDocument(wrapped.put()), actionDocument.get());
        const ComPtr<IXMLDOMDocument> dom = wrapped.As<IXMLDOMDocument>();
        Bstr xml;
        ThrowIfFailed(dom->get_xml(xml.put()), dom.get());
        benchmark::DoNotOptimize(xml.get());
    }
    state.SetItemsProcessed(state.iterations());
}

// What the machine itself allows two threads at the time of the run: the allocation pattern of
// one event (about sixty small blocks made, written and freed) with no DOM and no module around
// it. Other guests' load on the host shows up here as much as in the two benchmarks above.
void ScalingControl(benchmark::State& state) {
    constexpr std::size_t kBlocks = 60;
    std::array<char*, kBlocks> blocks{};
    for (auto _ : state) {
        for (std::size_t i = 0; i < kBlocks; ++i) {
            const std::size_t size = 16 + (i * 37) % 240;
            blocks[i] = static_cast<char*>(std::malloc(size));
            std::memset(blocks[i], static_cast<int>(i), size);
        }
        benchmark::DoNotOptimize(blocks.data());
        for (char* block : blocks) {
            std::free(block);
        }
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(HandleEvent)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(ScalingControl)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(HandleEventFloor)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace
