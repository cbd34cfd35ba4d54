// Points the stack at the socket and listing modules of this build, holds a
// use of the global stack for the test, and leaves no stack or loaded
// library behind.
#pragma once

#include <gtest/gtest.h>

#include "platform/net/dynamic_library.h"
#include "transport/tcp/stack/net_stack.h"
#include "transport/tcp/stack/net_stack_windows.h"

class NetStackFixture : public ::testing::Test {
 public:
  static void UseModules() {
    platform::net::SetLibraryFile("WS2_32.DLL", JQ_TEST_WS2_32);
    platform::net::SetLibraryFile("MSWSOCK.DLL", JQ_TEST_WS2_32);
    platform::net::SetLibraryFile("IPHLPAPI.DLL", JQ_TEST_IPHLPAPI);
  }

 protected:
  void SetUp() override {
    UseModules();
    ASSERT_EQ(net::StackUsers(), 0);
    net::TNetStack::IncUsage();
    ASSERT_NE(net::GlobalStack(), nullptr);
  }
  void TearDown() override {
    net::TNetStack::DecUsage();
    EXPECT_EQ(net::StackUsers(), 0);
    EXPECT_EQ(net::GlobalStack(), nullptr);
    net::UnloadStackLibraries();
  }
  static net::TNetStackWindows& Stack() { return dynamic_cast<net::TNetStackWindows&>(*net::GlobalStack()); }
};
