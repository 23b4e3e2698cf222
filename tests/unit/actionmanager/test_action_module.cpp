// A small action module for the action manager's tests, loaded at run time exactly as a plug-in
// is. Plain C-style code on purpose: nothing here may keep the module from being unloaded.
#include <atomic>

#include "actionmanager/actionmanager_host.h"
#include "companions/action_manager.h"
#include "platform/win32.h"

#define TEST_ENTRY extern "C" __attribute__((visibility("default"))) HRESULT STDAPICALLTYPE

namespace {

std::atomic<int> calls{0};

BSTR Copy(const OLECHAR* text) {
    return SysAllocString(text);
}

// The decimal digits of a positive count, as a new string.
BSTR CountText(int count) {
    OLECHAR digits[16] = {};
    int length = 0;
    do {
        digits[length++] = static_cast<OLECHAR>(u'0' + count % 10);
        count /= 10;
    } while (count > 0);
    for (int i = 0; i < length / 2; ++i) {
        const OLECHAR swap = digits[i];
        digits[i] = digits[length - 1 - i];
        digits[length - 1 - i] = swap;
    }
    return SysAllocStringLen(digits, static_cast<UINT>(length));
}

}  // namespace

// Answers the request itself.
TEST_ENTRY EchoEntry(BSTR request, BSTR* result) {
    *result = SysAllocStringLen(request, SysStringLen(request));
    return S_OK;
}

// Refuses with its own code and text, both of which the caller must see unchanged.
TEST_ENTRY FailEntry(BSTR, BSTR* result) {
    *result = Copy(u"<refused/>");
    return E_ACCESSDENIED;
}

// Answers nothing at all.
TEST_ENTRY SilentEntry(BSTR, BSTR*) {
    return S_FALSE;
}

// Counts its calls across the module's life; the count restarts only if the module is reloaded.
TEST_ENTRY CountEntry(BSTR, BSTR* result) {
    *result = CountText(calls.fetch_add(1) + 1);
    return S_OK;
}

// Runs host/echo through the action manager from inside an action, and answers what it got.
TEST_ENTRY NestedEntry(BSTR, BSTR* result) {
    BSTR inner = Copy(u"<Action type=\"host\" name=\"echo\">inner</Action>");
    BSTR answer = nullptr;
    const HRESULT code = DoAction(inner, &answer);
    SysFreeString(inner);
    *result = answer;
    return code;
}

// Shuts the action manager down while this module's own entry is still running.
TEST_ENTRY ShutdownEntry(BSTR, BSTR* result) {
    const HRESULT code = ActionManagerShutdown();
    *result = Copy(u"still here");
    return code;
}
