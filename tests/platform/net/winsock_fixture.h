// Loads the socket shim module (or a stand-in) for one test and unloads it after.
#pragma once

#include <gtest/gtest.h>

#include "platform/net/dynamic_library.h"
#include "transport/tcp/core/net_addr_info.h"
#include "transport/tcp/core/net_winsock2.h"

class WinsockFixture : public ::testing::Test {
 protected:
  void UseLibrary(const char* file) {
    platform::net::SetLibraryFile("WS2_32.DLL", file);
    platform::net::SetLibraryFile("MSWSOCK.DLL", file);
  }
  void SetUp() override { UseLibrary(JQ_TEST_WS2_32); }
  void TearDown() override {
    net::winsock::UnloadAddrInfoFunctions();
    net::winsock::UnloadWinsockLibrary();
    UseLibrary(JQ_TEST_WS2_32);
  }
};
