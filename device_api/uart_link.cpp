// Serial link: one blocking serial port per slot, 13-byte request frames and
// 14-byte reply frames, three attempts per command.
#include <array>
#include <memory>
#include <string>

#include "device_api/export_table.h"
#include "device_api/frame_exchange.h"
#include "device_api/frames.h"
#include "device_api/link_backend.h"
#include "transport/serial/sync_serial.h"

namespace jq {
namespace {

constexpr int UART_Attempts = 3;
constexpr int UART_Reply_Timeout_ms = 500;

// The slot's serial port as a frame channel.
class UART_Channel final : public Frame_Channel {
 public:
  explicit UART_Channel(TSyncSerial& port) : port_(port) {}

  size_t Drop_Input() override {
    const size_t waiting = port_.LineBuffer.size() + static_cast<size_t>(std::max(port_.InputQueueCount(), 0));
    port_.SetSerialError(0);
    port_.PurgePort();
    return waiting;
  }

  bool Send(const TRequest_Frame& frame) override {
    port_.SendBytes(frame.data(), static_cast<int32_t>(frame.size()));  // a failure shows in the reply wait
    return true;
  }

  Receive_Result Receive(std::vector<uint8_t>& bytes, int timeout_ms) override {
    const std::string got = port_.ReceiveAvailable(timeout_ms);
    if (!got.empty()) {
      bytes.insert(bytes.end(), got.begin(), got.end());
      return Receive_Result::Data;
    }
    const int32_t error = port_.LastErrorCode();
    return error == 0 || error == ErrTimeout ? Receive_Result::Timed_Out : Receive_Result::Failed;
  }

 private:
  TSyncSerial& port_;
};

struct UART_Slot {
  std::unique_ptr<TSyncSerial> port;
  Frame_Exchange exchange{UART_Reply_Timeout_ms};
};

class UART_Link final : public Link_Backend {
 public:
  void Start() override {
    for (UART_Slot& s : slots_) {
      s.port = std::make_unique<TSyncSerial>();
      s.port->RaiseExcept = false;
      // Each attempt's whole reply wait is bounded, however slowly bytes trickle in.
      s.port->InterPacketTimeout = false;
    }
  }

  void Stop() override {
    for (UART_Slot& s : slots_) {
      if (s.port) s.port->ClosePort();
      s.port.reset();
    }
  }

  int32_t Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) override {
    return UART_Transaction(slot, request, reply);
  }

  int32_t UART_Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) {
    if (!Valid_Slot(slot)) return Result_Fail;
    UART_Slot& s = slots_[slot];
    if (!s.port || s.port->Handle() == platform::serial::Invalid_Handle) return Result_Fail;
    const TRequest_Frame frame = Build_Request_Frame(request);
    UART_Channel channel(*s.port);
    for (int attempt = 0; attempt < UART_Attempts; ++attempt) {
      if (s.exchange.Attempt(channel, frame, reply) == Frame_Exchange::Outcome::Accepted &&
          reply.Status == 0)
        return Result_OK;
    }
    return Result_Fail;
  }

  // Called with Command_Lock held and a valid slot.
  int32_t Open(int32_t slot, const std::string& name) {
    UART_Slot& s = slots_[slot];
    if (!s.port) return Result_Fail;
    // A port still open from an earlier open is closed, so the new name takes effect.
    s.port->ClosePort();
    s.port->OpenPort(name);
    s.port->ConfigurePort(115200, 8, 'N', 0, false, false);
    s.exchange.Trust();
    Set_Link_Kind(slot, Link_UART);
    return Result_OK;
  }

  int32_t Close(int32_t slot) {
    UART_Slot& s = slots_[slot];
    if (s.port) s.port->ClosePort();
    s.exchange.Trust();
    return Result_OK;
  }

 private:
  std::array<UART_Slot, Slot_Count> slots_;
};

UART_Link& UART() { return Backend<UART_Link>(Link_UART); }

int32_t Open_UART(int32_t slot, const char* name) {
  if (!name) return Result_Fail;
  return Link_Export(slot, [&] { return UART().Open(slot, name); });
}

}  // namespace

std::unique_ptr<Link_Backend> Make_UART_Link() { return std::make_unique<UART_Link>(); }

}  // namespace jq

using namespace jq;

JQ_EXPORT_PAIR(Open_UART, (const char* port_name), (port_name), Open_UART(slot, port_name))
JQ_EXPORT_PAIR(Open_UART_Unicode, (const char* port_name), (port_name), Open_UART(slot, port_name))

JQ_EXPORT_ONE(int32_t, JQ_Open_UART_ID, (int32_t number),
              Open_UART(0, ("COM" + std::to_string(number)).c_str()))

JQ_EXPORT_PAIR(Close_UART, (), (), Link_Export(slot, [&] { return UART().Close(slot); }))
