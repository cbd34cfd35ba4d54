// Serial link: one blocking serial port per slot, 13-byte request frames and
// 14-byte reply frames, three attempts per command.
#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "sync_serial.h"
#include "export_table.h"
#include "frames.h"
#include "link.h"

namespace jq {
namespace {

constexpr int UART_Attempts = 3;
constexpr int UART_Reply_Timeout_ms = 500;

class UART_Link final : public Link_Backend {
 public:
  void Start() override {
    for (auto& port : ports_) {
      port = std::make_unique<TSyncSerial>();
      port->RaiseExcept = false;
    }
  }

  void Stop() override {
    for (auto& port : ports_) {
      if (port) port->ClosePort();
      port.reset();
    }
  }

  int32_t Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) override {
    return UART_Transaction(slot, request, reply);
  }

  int32_t UART_Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) {
    TSyncSerial* port = Valid_Slot(slot) ? ports_[slot].get() : nullptr;
    if (!port || port->Handle() == platform::serial::Invalid_Handle) return Result_Fail;
    const TRequest_Frame frame = Build_Request_Frame(request);
    uint8_t answer[Reply_Frame_Size];
    for (int attempt = 0; attempt < UART_Attempts; ++attempt) {
      port->SetSerialError(0);
      port->PurgePort();  // a late reply to an earlier attempt must not be taken for this one
      port->SendBytes(frame.data(), Request_Frame_Size);
      std::memset(answer, 0, sizeof answer);
      const int got = port->ReceiveExact(answer, Reply_Frame_Size, UART_Reply_Timeout_ms);
      if (got < 0 || !Accept_Reply_Frame(frame, answer, static_cast<size_t>(got), reply)) continue;
      if (reply.Status == 0) return Result_OK;
    }
    return Result_Fail;
  }

  // Called with Command_Lock held and a valid slot.
  int32_t Open(int32_t slot, const std::string& name) {
    TSyncSerial* port = ports_[slot].get();
    if (!port) return Result_Fail;
    // A port still open from an earlier open is closed, so the new name takes effect.
    port->ClosePort();
    port->OpenPort(name);
    port->ConfigurePort(115200, 8, 'N', 0, false, false);
    Set_Link_Kind(slot, Link_UART);
    return Result_OK;
  }

  int32_t Close(int32_t slot) {
    if (TSyncSerial* port = ports_[slot].get()) port->ClosePort();
    return Result_OK;
  }

 private:
  std::array<std::unique_ptr<TSyncSerial>, Slot_Count> ports_;
};

UART_Link* g_uart = nullptr;  // the library's instance while it is initialised

int32_t Open_UART(int32_t slot, const char* name) {
  if (!name) return Result_Fail;
  return Link_Export(slot, [&] { return g_uart ? g_uart->Open(slot, name) : Result_Fail; });
}

}  // namespace

std::unique_ptr<Link_Backend> Make_UART_Link() {
  auto link = std::make_unique<UART_Link>();
  g_uart = link.get();
  return link;
}

}  // namespace jq

using namespace jq;

JQ_EXPORT_PAIR(Open_UART, (const char* port_name), (port_name), Open_UART(slot, port_name))
JQ_EXPORT_PAIR(Open_UART_Unicode, (const char* port_name), (port_name), Open_UART(slot, port_name))

JQ_EXPORT_ONE(int32_t, JQ_Open_UART_ID, (int32_t number),
              Open_UART(0, ("COM" + std::to_string(number)).c_str()))

JQ_EXPORT_PAIR(Close_UART, (), (),
               Link_Export(slot, [&] { return g_uart ? g_uart->Close(slot) : Result_Fail; }))
