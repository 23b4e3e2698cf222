#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "companions/com_error.h"
#include "companions/error_report.h"
#include "counting_object.h"

namespace {

class ThreadErrorTest : public testing::Test {
  protected:
    void TearDown() override { SetErrorInfo(0, nullptr); }
};

using ReportedErrors = ThreadErrorTest;

TEST_F(ReportedErrors, ReportErrorReturnsTheCodeAndLeavesTheDescriptionOnTheThread) {
    EXPECT_EQ(ReportError(E_INVALIDARG, IID_IDispatch, OLESTR("bad argument")), E_INVALIDARG);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_EQ(OleString(description), OLESTR("bad argument"));
    GUID source = GUID_NULL;
    info->GetGUID(&source);
    EXPECT_EQ(source, IID_IDispatch);
    SysFreeString(description);
    info->Release();
}

struct DescriptionCase {
    const char* name;
    bool supportsErrorInfo;
    bool forThisInterface;
    OleString expected;
};

void PrintTo(const DescriptionCase& c, std::ostream* os) {
    *os << c.name;
}

class ThrowIfFailedDescription : public ThreadErrorTest,
                                 public testing::WithParamInterface<DescriptionCase> {};

TEST_P(ThrowIfFailedDescription, ComesFromTheThreadOnlyWhenTheObjectOffersIt) {
    const auto& c = GetParam();
    CountingObject object;
    object.supportsErrorInfo = c.supportsErrorInfo;
    object.errorInfoFor = c.forThisInterface ? IID_ISupportErrorInfo : IID_IDispatch;
    ReportError(E_FAIL, IID_IDispatch, OLESTR("the reason"));
    try {
        ThrowIfFailed(E_ACCESSDENIED, static_cast<ISupportErrorInfo*>(&object));
        FAIL() << "no exception";
    } catch (const ComError& error) {
        EXPECT_EQ(error.code(), E_ACCESSDENIED);
        EXPECT_EQ(error.iid(), IID_ISupportErrorInfo);
        EXPECT_EQ(error.description(), c.expected);
    }
    EXPECT_EQ(object.references, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Objects, ThrowIfFailedDescription,
    testing::Values(DescriptionCase{"Offers", true, true, OLESTR("the reason")},
                    DescriptionCase{"OffersForAnotherInterface", true, false, OLESTR("")},
                    DescriptionCase{"HasNoErrorInfoSupport", false, false, OLESTR("")}),
    [](const testing::TestParamInfo<DescriptionCase>& param) {
        return std::string(param.param.name);
    });

TEST(ThrowIfFailed, SuccessCodesDoNotThrow) {
    CountingObject object;
    EXPECT_NO_THROW(ThrowIfFailed(S_OK));
    EXPECT_NO_THROW(ThrowIfFailed(S_FALSE, static_cast<IUnknown*>(&object)));
}

TEST(ThrowIfFailed, AFailureOfNoMethodCarriesNoInterface) {
    try {
        ThrowIfFailed(E_OUTOFMEMORY);
        FAIL() << "no exception";
    } catch (const ComError& error) {
        EXPECT_EQ(error.code(), E_OUTOFMEMORY);
        EXPECT_EQ(error.iid(), GUID_NULL);
        EXPECT_NE(std::string(error.what()).find("8007000E"), std::string::npos) << error.what();
    }
}

template <class Raise>
HRESULT Boundary(Raise raise) {
    try {
        raise();
        return S_OK;
    } catch (...) {
        return ResultFromCaughtException();
    }
}

TEST(ResultFromCaughtException, MapsEachKindOfException) {
    EXPECT_EQ(Boundary([] { ThrowComError(DISP_E_TYPEMISMATCH); }), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Boundary([] { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(Boundary([] { throw std::runtime_error("other"); }), E_UNEXPECTED);
    EXPECT_EQ(Boundary([] { throw 42; }), E_UNEXPECTED);
}

}  // namespace
