#include <array>
#include <cstdio>
#include <memory>

#include "export_table.h"
#include "frames.h"
#include "link.h"
#include "tcp_client.h"

namespace jq {
namespace {

constexpr int Net_Connect_Timeout_ms = 20000;
constexpr int Net_Read_Timeout_ms = 1000;

class Net_Link final : public Link_Backend {
 public:
  void Start() override {
    for (auto& client : clients_) client = std::make_unique<TNetTCPClient>();
  }

  void Stop() override {
    for (auto& client : clients_) {
      if (client) client->CloseConnection();
      client.reset();
    }
  }

  int32_t Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) override {
    return Net_Transaction(slot, request, reply);
  }

  // One attempt: a network controller that answers wrongly answers wrongly again.
  int32_t Net_Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) {
    TNetTCPClient& client = *clients_[slot];
    if (!client.Connected()) return Result_Fail;
    const TRequest_Frame frame = Build_Request_Frame(request);
    client.ResetInBuffer();  // a late reply to an earlier request must not answer this one
    const TNetBytes out(frame.begin(), frame.end());
    try {
      client.WriteBlock(out);
    } catch (const ENetException&) {
      try {
        client.WriteBlock(out);
      } catch (const ENetException&) {
        return Result_Fail;
      }
    }
    TNetBytes in;
    try {
      client.ReadBlock(in, Reply_Frame_Size);
    } catch (const ENetException&) {
      return Result_Fail;
    }
    if (!Accept_Reply_Frame(frame, in.data(), in.size(), reply)) return Result_Fail;
    return reply.Status == 0 ? Result_OK : Result_Fail;
  }

  int32_t Open(int32_t slot, const std::string& host, uint16_t port) {
    TNetTCPClient& client = *clients_[slot];
    client.CloseConnection();
    client.ConnectTimeout = Net_Connect_Timeout_ms;
    client.ReadTimeout = Net_Read_Timeout_ms;
    client.Host = host;
    client.Port = port;
    client.ConnectToHost();  // raises when it cannot connect; the export answers -1
    Set_Link_Kind(slot, Link_Net);
    return Result_OK;
  }

  int32_t Close(int32_t slot) {
    clients_[slot]->CloseConnection();
    Set_Link_Kind(slot, Link_None);
    return Result_OK;
  }

 private:
  std::array<std::unique_ptr<TNetTCPClient>, Slot_Count> clients_;
};

Net_Link* g_net = nullptr;

std::string Dotted(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a, b, c, d);
  return text;
}

}  // namespace

std::unique_ptr<Link_Backend> Make_Net_Link() {
  auto link = std::make_unique<Net_Link>();
  g_net = link.get();
  return link;
}

}  // namespace jq

using namespace jq;

JQ_EXPORT int32_t JQ_CALL JQ_M_Open_Net(int32_t slot, uint8_t a, uint8_t b, uint8_t c, uint8_t d,
                                        uint16_t port) {
  return Link_Export(slot, [&] { return g_net->Open(slot, Dotted(a, b, c, d), port); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Open_Net(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint16_t port) {
  return JQ_M_Open_Net(0, a, b, c, d, port);
}

JQ_EXPORT int32_t JQ_CALL JQ_M_Open_Net_Name(int32_t slot, const char* host, uint16_t port) {
  return Link_Export(slot, [&] { return g_net->Open(slot, host ? host : "", port); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Open_Net_Name(const char* host, uint16_t port) {
  return JQ_M_Open_Net_Name(0, host, port);
}

JQ_EXPORT int32_t JQ_CALL JQ_M_Close_Net(int32_t slot) {
  return Link_Export(slot, [&] { return g_net->Close(slot); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Close_Net(void) { return JQ_M_Close_Net(0); }
