// Tests that switch the process ANSI code page put it back, so no test leaks its choice into
// the next one.
#pragma once

#include <gtest/gtest.h>

#include "platform/win32.h"

class AnsiCodePageTest : public testing::Test {
  protected:
    void SetUp() override { saved_ = GetACP(); }
    void TearDown() override { PlatformSetAnsiCodePage(saved_); }

    static void Use(UINT codePage) { ASSERT_TRUE(PlatformSetAnsiCodePage(codePage)); }

  private:
    UINT saved_ = CP_UTF8;
};

template <class Param>
class AnsiCodePageParamTest : public AnsiCodePageTest, public testing::WithParamInterface<Param> {};
