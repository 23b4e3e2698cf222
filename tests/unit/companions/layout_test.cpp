// Callers built apart reach these methods by their position in the method table alone, so the
// positions are checked by calling through raw slots, as such a caller does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "companions/config_document.h"
#include "companions/trigger_manager.h"

namespace {

template <class Function>
Function Slot(void* object, std::size_t index) {
    void** table = nullptr;
    std::memcpy(&table, object, sizeof table);
    Function function = nullptr;
    std::memcpy(&function, &table[index], sizeof function);
    return function;
}

// IUnknown and IDispatch, answering nothing; the tests only count calls of the methods below.
template <class Interface>
class Recording : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    std::vector<std::string> calls;
};

class RecordingTriggerManager : public Recording<ITriggerManager> {
  public:
    HRESULT STDMETHODCALLTYPE Fire(BSTR, BSTR*) override { return Record("Fire"); }
    HRESULT STDMETHODCALLTYPE AddTrigger(BSTR, BSTR, LONG*) override {
        return Record("AddTrigger");
    }
    HRESULT STDMETHODCALLTYPE RemoveTrigger(BSTR, LONG*) override {
        return Record("RemoveTrigger");
    }
    HRESULT STDMETHODCALLTYPE DeleteDatabase(LONG*) override { return Record("DeleteDatabase"); }
    HRESULT STDMETHODCALLTYPE Reserved11() override {
        calls.emplace_back("Reserved11");
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Suspend() override { return Record("Suspend"); }
    HRESULT STDMETHODCALLTYPE Resume() override { return Record("Resume"); }

  private:
    HRESULT Record(const char* name) {
        calls.emplace_back(name);
        return S_OK;
    }
};

class RecordingConfigDocument : public Recording<ConfigDocumentSlots> {
  public:
    HRESULT STDMETHODCALLTYPE GetDocument(IUnknown**) override { return Record("GetDocument"); }
    HRESULT STDMETHODCALLTYPE LoadXml(BSTR, LONG*) override { return Record("LoadXml"); }
    HRESULT STDMETHODCALLTYPE Combine(IConfigDocument*, LONG*) override {
        return Record("Combine");
    }

  private:
    HRESULT Record(const char* name) {
        calls.emplace_back(name);
        return S_OK;
    }
};

// A caller built apart calls with the interface's own convention (__stdcall on 32-bit Windows,
// where the callee pops its arguments), so the slots are called that way too.
using NoArguments = HRESULT(STDMETHODCALLTYPE*)(void*);
using OnePointer = HRESULT(STDMETHODCALLTYPE*)(void*, void*);
using TwoPointers = HRESULT(STDMETHODCALLTYPE*)(void*, void*, void*);
using ThreePointers = HRESULT(STDMETHODCALLTYPE*)(void*, void*, void*, void*);

TEST(MethodTable, TriggerManagerMethodsSitAtTheirSlots) {
    RecordingTriggerManager manager;
    ITriggerManager* object = &manager;
    BSTR reply = nullptr;
    LONG flag = 0;
    EXPECT_EQ(Slot<TwoPointers>(object, 7)(object, nullptr, &reply), S_OK);
    EXPECT_EQ(Slot<ThreePointers>(object, 8)(object, nullptr, nullptr, &flag), S_OK);
    EXPECT_EQ(Slot<TwoPointers>(object, 9)(object, nullptr, &flag), S_OK);
    EXPECT_EQ(Slot<OnePointer>(object, 10)(object, &flag), S_OK);
    EXPECT_EQ(Slot<NoArguments>(object, 11)(object), E_NOTIMPL);
    EXPECT_EQ(Slot<NoArguments>(object, 12)(object), S_OK);
    EXPECT_EQ(Slot<NoArguments>(object, 13)(object), S_OK);
    EXPECT_EQ(manager.calls,
              (std::vector<std::string>{"Fire", "AddTrigger", "RemoveTrigger", "DeleteDatabase",
                                        "Reserved11", "Suspend", "Resume"}));
}

TEST(MethodTable, ConfigDocumentMethodsSitAtTheirSlots) {
    RecordingConfigDocument document;
    IConfigDocument* object = &document;
    IUnknown* dom = nullptr;
    LONG flag = 0;
    EXPECT_EQ(Slot<OnePointer>(object, 22)(object, &dom), S_OK);
    EXPECT_EQ(Slot<TwoPointers>(object, 30)(object, nullptr, &flag), S_OK);
    EXPECT_EQ(Slot<TwoPointers>(object, 31)(object, nullptr, &flag), S_OK);
    EXPECT_EQ(document.calls, (std::vector<std::string>{"GetDocument", "LoadXml", "Combine"}));
}

TEST(MethodTable, ConfigDocumentReservedSlotsAnswerNotImplemented) {
    RecordingConfigDocument document;
    IConfigDocument* object = &document;
    for (std::size_t slot = 7; slot <= 29; ++slot) {
        if (slot == 22) {
            continue;
        }
        EXPECT_EQ(Slot<NoArguments>(object, slot)(object), E_NOTIMPL) << "slot " << slot;
    }
    EXPECT_TRUE(document.calls.empty());
}

}  // namespace
