// Network link: one TCP client per slot, the frames of the serial link, one
// attempt per command.
#include <array>
#include <cstdio>

#include "platform/runtime/codepage.h"
#include "device_api/export_table.h"
#include "device_api/frame_exchange.h"
#include "device_api/frames.h"
#include "device_api/link_backend.h"
#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/client/net_tcp_client.h"

namespace jq {
namespace {

constexpr int32_t Net_Connect_Timeout_ms = 20000;
constexpr int32_t Net_Read_Timeout_ms = 1000;

// The I/O handler of a connected slot as a frame channel.
class Net_Channel final : public Frame_Channel {
 public:
  Net_Channel(net::TNetIOHandler& handler, net::TNetBytes& out) : handler_(handler), out_(out) {}

  size_t Drop_Input() override {
    handler_.ClearWriteBuffer();
    net::TNetBuffer& in = handler_.InBuffer();
    const size_t dropped = static_cast<size_t>(in.Size());
    in.Reset();
    return dropped;
  }

  bool Send(const TRequest_Frame& frame) override {
    out_.assign(frame.begin(), frame.end());
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        handler_.WriteBlock(out_, -1, 0);
        return true;
      } catch (const net::ENetException&) {
      }
    }
    return false;
  }

  // Each wait for more bytes is bounded by what is left of the exchange's own
  // time-out, so a trickling peer cannot stretch it.
  Receive_Result Receive(std::vector<uint8_t>& bytes, int timeout_ms) override {
    try {
      handler_.ReadArrived(bytes, timeout_ms > 0 ? timeout_ms : 1);
    } catch (const net::ENetReadTimeout&) {
      return Receive_Result::Timed_Out;
    } catch (const net::ENetException&) {
      return Receive_Result::Failed;
    }
    return Receive_Result::Data;
  }

 private:
  net::TNetIOHandler& handler_;
  net::TNetBytes& out_;
};

struct Net_Slot {
  net::TNetTCPClient* client = nullptr;
  Frame_Exchange exchange{Net_Read_Timeout_ms};
  net::TNetBytes out;  // the request's bytes, kept between commands
};

class Net_Link final : public Link_Backend {
 public:
  ~Net_Link() override { Stop(); }

  void Start() override {
    for (Net_Slot& s : slots_) s.client = net::NetCreate<net::TNetTCPClient>(nullptr);
  }

  void Stop() override {
    for (Net_Slot& s : slots_) {
      if (!s.client) continue;
      try {
        s.client->CloseConnection();
      } catch (...) {
        // The client is freed whatever its socket said.
      }
      ui::Free(s.client);
      s.client = nullptr;
    }
  }

  int32_t Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) override {
    return Net_Transaction(slot, request, reply);
  }

  // One attempt: a network controller that answers wrongly answers wrongly
  // again. A socket failure of the connected test or of the buffer clearing is
  // a failed command like any other, never an exception for the caller.
  int32_t Net_Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) {
    if (!Valid_Slot(slot)) return Result_Fail;
    Net_Slot& s = slots_[slot];
    try {
      net::TNetIOHandler* handler = s.client ? s.client->IOHandler() : nullptr;
      if (!handler) return Result_Fail;
      // The connected test asks the socket, and takes in whatever waits there
      // for the exchange to drop: a late reply. On a link where every request
      // has had its reply nothing can be late, and a connection that has gone
      // shows in the write or the read as surely; sparing the test spares a
      // system call of three.
      if (!s.exchange.Clean() && !handler->IsConnected()) return Result_Fail;
      Net_Channel channel(*handler, s.out);
      const TRequest_Frame frame = Build_Request_Frame(request);
      if (s.exchange.Attempt(channel, frame, reply) != Frame_Exchange::Outcome::Accepted) return Result_Fail;
    } catch (...) {
      return Result_Fail;
    }
    return reply.Status == 0 ? Result_OK : Result_Fail;
  }

  int32_t Open(int32_t slot, const std::string& host, uint16_t port) {
    Net_Slot& s = slots_[slot];
    net::TNetTCPClient& client = *s.client;
    client.CloseConnection();
    s.exchange.Trust();
    client.SetConnectTimeout(Net_Connect_Timeout_ms);
    client.SetReadTimeout(Net_Read_Timeout_ms);
    // A request is one small frame that waits for its reply: Nagle would only
    // hold it back.
    client.SetUseNagle(false);
    client.SetHost(rtl::AnsiToString(host));
    client.SetPort(port);
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
