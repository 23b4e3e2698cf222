#include <gtest/gtest.h>

#include "companions/com_ptr.h"
#include "counting_object.h"

namespace {

TEST(ComPtr, AdoptTakesTheReferenceAndShareAddsOne) {
    CountingObject object;
    {
        object.AddRef();
        const auto adopted = ComPtr<IUnknown>::Adopt(&object);
        EXPECT_EQ(object.references, 2u);
        const auto shared = ComPtr<IUnknown>::Share(&object);
        EXPECT_EQ(object.references, 3u);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(ComPtr, CopiesCountAndMovesDoNot) {
    CountingObject object;
    {
        auto first = ComPtr<IUnknown>::Share(&object);
        auto copy = first;
        EXPECT_EQ(object.references, 3u);
        auto moved = std::move(first);
        EXPECT_EQ(object.references, 3u);
        EXPECT_FALSE(first);
        copy = moved;
        EXPECT_EQ(object.references, 3u);
        copy = nullptr;
        EXPECT_EQ(object.references, 2u);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(ComPtr, PutReleasesWhatItHeldBeforeHandingOutTheSlot) {
    CountingObject held;
    auto pointer = ComPtr<IUnknown>::Share(&held);
    IUnknown** slot = pointer.put();
    EXPECT_EQ(held.references, 1u);
    EXPECT_EQ(*slot, nullptr);
}

TEST(ComPtr, DetachHandsTheReferenceOver) {
    CountingObject object;
    IUnknown* raw = nullptr;
    {
        auto pointer = ComPtr<IUnknown>::Share(&object);
        raw = pointer.detach();
    }
    EXPECT_EQ(raw, &object);
    EXPECT_EQ(object.references, 2u);
    raw->Release();
}

TEST(ComPtrAs, AnInterfaceTheObjectHasComesWithItsOwnReference) {
    CountingObject object;
    object.supportsErrorInfo = true;
    const auto pointer = ComPtr<IUnknown>::Share(&object);
    const auto support = pointer.As<ISupportErrorInfo>();
    EXPECT_EQ(support.get(), &object);
    EXPECT_EQ(object.references, 3u);
}

TEST(ComPtrAs, NoSuchInterfaceGivesAnEmptyPointerWithoutThrowing) {
    CountingObject object;
    const auto pointer = ComPtr<IUnknown>::Share(&object);
    ComPtr<IDispatch> dispatch;
    EXPECT_NO_THROW(dispatch = pointer.As<IDispatch>());
    EXPECT_FALSE(dispatch);
    EXPECT_EQ(object.references, 2u);
}

TEST(ComPtrAs, OtherFailuresThrowWithTheQueriedInterface) {
    CountingObject object;
    object.queryResult = E_OUTOFMEMORY;
    const auto pointer = ComPtr<IUnknown>::Share(&object);
    try {
        pointer.As<IDispatch>();
        FAIL() << "no exception";
    } catch (const ComError& error) {
        EXPECT_EQ(error.code(), E_OUTOFMEMORY);
        EXPECT_EQ(error.iid(), IID_IDispatch);
    }
    EXPECT_EQ(object.references, 2u);
}

TEST(ComPtrAs, AnEmptyPointerQueriesNothing) {
    const ComPtr<IUnknown> empty;
    EXPECT_FALSE(empty.As<IDispatch>());
}

}  // namespace
