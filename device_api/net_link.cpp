// Network link: one TCP client per slot, the frames of the serial link, one
// attempt per command.
#include <array>
#include <cstdio>
#include <memory>

#include "export_table.h"
#include "frame_exchange.h"
#include "frames.h"
#include "link.h"
#include "tcp_client.h"

namespace jq {
namespace {

constexpr int Net_Connect_Timeout_ms = 20000;
constexpr int Net_Read_Timeout_ms = 1000;

// The slot's TCP client as a frame channel.
class Net_Channel final : public Frame_Channel {
 public:
  explicit Net_Channel(TNetTCPClient& client) : client_(client) {}

  size_t Drop_Input() override { return client_.ResetInBuffer(); }

  bool Send(const TRequest_Frame& frame) override {
    const TNetBytes out(frame.begin(), frame.end());
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        client_.WriteBlock(out);
        return true;
      } catch (const ENetException&) {
      }
    }
    return false;
  }

  // The client's read time-out bounds each wait for more bytes; the exchange asks
  // for what is left of its own time-out, so a trickling peer cannot stretch it.
  Receive_Result Receive(std::vector<uint8_t>& bytes, int timeout_ms) override {
    client_.ReadTimeout = timeout_ms > 0 ? timeout_ms : 1;
    Receive_Result result = Receive_Result::Data;
    try {
      client_.ReadBlock(bytes, 1);
      if (const size_t more = client_.InBufferSize()) client_.ReadBlock(bytes, more);
    } catch (const ENetReadTimeout&) {
      result = Receive_Result::Timed_Out;
    } catch (const ENetException&) {
      result = Receive_Result::Failed;
    }
    client_.ReadTimeout = Net_Read_Timeout_ms;
    return result;
  }

 private:
  TNetTCPClient& client_;
};

struct Net_Slot {
  std::unique_ptr<TNetTCPClient> client;
  Frame_Exchange exchange{Net_Read_Timeout_ms};
};

class Net_Link final : public Link_Backend {
 public:
  void Start() override {
    for (Net_Slot& s : slots_) s.client = std::make_unique<TNetTCPClient>();
  }

  void Stop() override {
    for (Net_Slot& s : slots_) {
      if (s.client) s.client->CloseConnection();
      s.client.reset();
    }
  }

  int32_t Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) override {
    return Net_Transaction(slot, request, reply);
  }

  // One attempt: a network controller that answers wrongly answers wrongly again.
  int32_t Net_Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) {
    if (!Valid_Slot(slot)) return Result_Fail;
    Net_Slot& s = slots_[slot];
    if (!s.client || !s.client->Connected()) return Result_Fail;
    Net_Channel channel(*s.client);
    const TRequest_Frame frame = Build_Request_Frame(request);
    if (s.exchange.Attempt(channel, frame, reply) != Frame_Exchange::Outcome::Accepted)
      return Result_Fail;
    return reply.Status == 0 ? Result_OK : Result_Fail;
  }

  int32_t Open(int32_t slot, const std::string& host, uint16_t port) {
    Net_Slot& s = slots_[slot];
    TNetTCPClient& client = *s.client;
    client.CloseConnection();
    s.exchange.Trust();
    client.ConnectTimeout = Net_Connect_Timeout_ms;
    client.ReadTimeout = Net_Read_Timeout_ms;
    client.Host = host;
    client.Port = port;
    client.ConnectToHost();  // raises when it cannot connect; the export answers -1
    Set_Link_Kind(slot, Link_Net);
    return Result_OK;
  }

  int32_t Close(int32_t slot) {
    slots_[slot].client->CloseConnection();
    slots_[slot].exchange.Trust();
    Set_Link_Kind(slot, Link_None);
    return Result_OK;
  }

 private:
  std::array<Net_Slot, Slot_Count> slots_;
};

Net_Link& Net() { return Backend<Net_Link>(Link_Net); }

std::string Dotted(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a, b, c, d);
  return text;
}

}  // namespace

std::unique_ptr<Link_Backend> Make_Net_Link() { return std::make_unique<Net_Link>(); }

}  // namespace jq

using namespace jq;

JQ_EXPORT int32_t JQ_CALL JQ_M_Open_Net(int32_t slot, uint8_t a, uint8_t b, uint8_t c, uint8_t d,
                                        uint16_t port) {
  return Link_Export(slot, [&] { return Net().Open(slot, Dotted(a, b, c, d), port); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Open_Net(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint16_t port) {
  return JQ_M_Open_Net(0, a, b, c, d, port);
}

JQ_EXPORT int32_t JQ_CALL JQ_M_Open_Net_Name(int32_t slot, const char* host, uint16_t port) {
  return Link_Export(slot, [&] { return Net().Open(slot, host ? host : "", port); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Open_Net_Name(const char* host, uint16_t port) {
  return JQ_M_Open_Net_Name(0, host, port);
}

JQ_EXPORT int32_t JQ_CALL JQ_M_Close_Net(int32_t slot) {
  return Link_Export(slot, [&] { return Net().Close(slot); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Close_Net(void) { return JQ_M_Close_Net(0); }
