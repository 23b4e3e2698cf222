#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/win32.h"

namespace {

constexpr GUID kSource = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

std::u16string Take(BSTR text) {
    std::u16string value = text != nullptr ? std::u16string(text, SysStringLen(text)) : u"<null>";
    SysFreeString(text);
    return value;
}

IErrorInfo* MakeError(const char16_t* description) {
    ICreateErrorInfo* create = nullptr;
    EXPECT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetGUID(kSource);
    create->SetDescription(const_cast<LPOLESTR>(description));
    IErrorInfo* info = nullptr;
    EXPECT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    create->Release();
    return info;
}

class ThreadError : public testing::Test {
  protected:
    void TearDown() override { SetErrorInfo(0, nullptr); }
};

TEST_F(ThreadError, RoundTripHandsTheObjectOverOnce) {
    IErrorInfo* info = MakeError(u"disk on fire");
    ASSERT_EQ(SetErrorInfo(0, info), S_OK);
    info->Release();  // the thread keeps its own reference

    IErrorInfo* taken = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &taken), S_OK);
    ASSERT_EQ(taken, info);
    BSTR description = nullptr;
    ASSERT_EQ(taken->GetDescription(&description), S_OK);
    EXPECT_EQ(Take(description), u"disk on fire");
    GUID guid = GUID_NULL;
    ASSERT_EQ(taken->GetGUID(&guid), S_OK);
    EXPECT_EQ(guid, kSource);
    taken->Release();

    IErrorInfo* again = reinterpret_cast<IErrorInfo*>(&guid);
    EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);
    EXPECT_EQ(again, nullptr);
}

TEST_F(ThreadError, FieldsNeverSetReadAsNullAndSetOnesAsWritten) {
    IErrorInfo* info = MakeError(u"");
    BSTR text = nullptr;
    ASSERT_EQ(info->GetSource(&text), S_OK);
    EXPECT_EQ(Take(text), u"<null>");
    ASSERT_EQ(info->GetDescription(&text), S_OK);
    EXPECT_EQ(Take(text), u"");
    DWORD context = 7;
    ASSERT_EQ(info->GetHelpContext(&context), S_OK);
    EXPECT_EQ(context, 0u);
    info->Release();
}

TEST_F(ThreadError, BothFacesAreOneObject) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    IUnknown* fromCreate = nullptr;
    IUnknown* fromInfo = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromCreate)), S_OK);
    ASSERT_EQ(info->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromInfo)), S_OK);
    EXPECT_EQ(fromCreate, fromInfo);
    void* other = &other;
    EXPECT_EQ(info->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    fromCreate->Release();
    fromInfo->Release();
    info->Release();
    EXPECT_EQ(create->Release(), 0u);
}

TEST_F(ThreadError, SettingNullClearsWhatWasThere) {
    IErrorInfo* info = MakeError(u"stale");
    SetErrorInfo(0, info);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(info->Release(), 0u) << "the thread let its reference go";
    IErrorInfo* taken = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &taken), S_FALSE);
}

TEST_F(ThreadError, EachThreadSeesOnlyItsOwn) {
    IErrorInfo* mine = MakeError(u"main");
    SetErrorInfo(0, mine);
    mine->Release();

    HRESULT otherSawNothing = E_FAIL;
    std::thread other([&] {
        IErrorInfo* seen = nullptr;
        otherSawNothing = GetErrorInfo(0, &seen);
        IErrorInfo* theirs = MakeError(u"other");
        SetErrorInfo(0, theirs);
        theirs->Release();
    });
    other.join();
    EXPECT_EQ(otherSawNothing, S_FALSE);

    IErrorInfo* taken = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &taken), S_OK);
    BSTR description = nullptr;
    taken->GetDescription(&description);
    EXPECT_EQ(Take(description), u"main");
    taken->Release();
}

// An error object that tells when its last reference goes.
class WatchedError : public IErrorInfo {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetGUID(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD*) override { return E_NOTIMPL; }

    ULONG references = 1;
};

TEST_F(ThreadError, AThreadThatEndsReleasesWhatItHeld) {
    WatchedError error;
    std::thread worker([&] { SetErrorInfo(0, &error); });
    worker.join();
    EXPECT_EQ(error.references, 1u);
}

TEST_F(ThreadError, NullOutParametersAreRefused) {
    EXPECT_EQ(CreateErrorInfo(nullptr), E_INVALIDARG);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
}

}  // namespace
