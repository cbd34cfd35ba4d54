// The global stack's usage count under many threads, and a socket closed
// from another thread while a connect on it still waits.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "transport/tcp/stack/net_buffer.h"
#include "transport/tcp/stack/net_component.h"
#include "transport/tcp/stack/net_socket_handle.h"
#include "tests/transport/tcp/net_stack_fixture.h"

using namespace net;

namespace {

class StackThreads : public ::testing::Test {
 protected:
  void SetUp() override { NetStackFixture::UseModules(); }
  void TearDown() override {
    EXPECT_EQ(StackUsers(), 0);
    EXPECT_EQ(GlobalStack(), nullptr);
    UnloadStackLibraries();
  }
};

TEST_F(StackThreads, ComponentsAndBuffersOnManyThreads) {
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&failures] {
      try {
        for (int i = 0; i < 100; ++i) {
          auto* c = NetCreate<TNetComponent>(nullptr);
          TNetBuffer b;
          b.Append({1, 2, 3});
          if (GlobalStack() == nullptr || StackUsers() < 2) ++failures;
          ui::Free(c);
        }
      } catch (...) {
        ++failures;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, 0);
}

TEST_F(StackThreads, ShuttingTheSocketEndsAPendingConnect) {
  TNetStackUse use;
  TNetStack& stack = *GlobalStack();
  // A listener whose accept queue is full drops further connection requests,
  // so the next connect waits in the system.
  TNetSocketHandle server;
  server.OpenSocket();
  server.SetIP(u"127.0.0.1");
  server.BindLocal();
  stack.ListenOn(server.SocketHandle(), 0);
  auto queued = std::make_unique<TNetSocketHandle>();
  queued->OpenSocket();
  queued->SetPeerAddress(u"127.0.0.1", server.Port(), Id_IPv4);
  queued->ConnectPeer();

  TNetSocketHandle pending;
  pending.OpenSocket();
  pending.SetPeerAddress(u"127.0.0.1", server.Port(), Id_IPv4);
  std::atomic<bool> done{false};
  std::atomic<bool> raised{false};
  std::thread connector([&] {
    try {
      pending.ConnectPeer();
    } catch (const ENetSocketError&) {
      raised = true;
    }
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  if (done) {
    connector.join();
    GTEST_SKIP() << "this system accepted the connection without waiting";
  }
  const auto start = std::chrono::steady_clock::now();
  pending.ShutSocket();
  while (!done && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!done) {
    // The connect thread still uses this frame's objects: end the program
    // rather than leave it running or wait for the system's own time-out.
    std::fprintf(stderr, "the pending connect did not end after the socket was shut\n");
    std::_Exit(1);
  }
  connector.join();
  EXPECT_TRUE(raised);
  EXPECT_FALSE(pending.HasHandle());
}

}  // namespace
