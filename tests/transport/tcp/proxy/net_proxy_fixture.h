// A SOCKS proxy aimed at loopback and a stack handler with bounded
// time-outs, both owned by one component the test frees.
#pragma once

#include "transport/tcp/client/net_io_handler_stack.h"
#include "transport/tcp/proxy/net_socks.h"
#include "tests/transport/tcp/net_stack_fixture.h"

class NetProxyFixture : public NetStackFixture {
 protected:
  void SetUp() override {
    NetStackFixture::SetUp();
    owner_ = ui::Create<ui::TComponent>(nullptr);
    handler_ = net::NetCreate<net::TNetIOHandlerStack>(owner_);
    handler_->SetConnectTimeout(5000);
    handler_->SetReadTimeout(5000);
    proxy_ = net::NetCreate<net::TNetSocksInfo>(owner_);
    proxy_->SetHost(u"127.0.0.1");
  }
  void TearDown() override {
    ui::Free(owner_);
    NetStackFixture::TearDown();
  }

  ui::TComponent* owner_ = nullptr;
  net::TNetIOHandlerStack* handler_ = nullptr;
  net::TNetSocksInfo* proxy_ = nullptr;
};
