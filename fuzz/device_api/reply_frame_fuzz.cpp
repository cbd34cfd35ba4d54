// Reply frames of the serial and network links and the rule that keeps a
// stale reply from answering a later request. The input is a run of
// exchanges on one link: for each, the request, the bytes found waiting
// before it goes out, and the arrivals of the reply (each arrival a length
// byte and its bytes; the input running out is the link failing).
//
// Input: per exchange  command(2) index(2) value(4) waiting(1) then arrivals
//        [count(1) bytes...] up to a count of 0.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device_api/device_slots.h"
#include "device_api/frame_exchange.h"
#include "fuzz/support/fuzz_support.h"

// The exchange tells the process-wide command lock when it starts waiting
// for a reply; this target runs without the slot table, so it has a lock of
// its own.
namespace jq {
Ticket_Lock& Command_Lock() {
  static Ticket_Lock lock;
  return lock;
}
}  // namespace jq

namespace {

class Script_Channel final : public jq::Frame_Channel {
 public:
  explicit Script_Channel(fuzz::Bytes& in) : in_(in) {}
  size_t Drop_Input() override { return in_.Byte() & 0x1F; }
  bool Send(const jq::TRequest_Frame&) override { return true; }
  Receive_Result Receive(std::vector<uint8_t>& bytes, int) override {
    const size_t count = in_.Byte();
    if (count == 0 || in_.Empty()) return Receive_Result::Failed;
    const std::string_view got = in_.Take(count);
    bytes.insert(bytes.end(), got.begin(), got.end());
    return Receive_Result::Data;
  }

 private:
  fuzz::Bytes& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Bytes in(data, size);
  // Long enough that the suspect state lasts the whole input; an exchange
  // never waits, since the script answers at once or fails.
  jq::Frame_Exchange exchange(10000);
  Script_Channel channel(in);
  for (int exchanges = 0; !in.Empty() && exchanges < 64; ++exchanges) {
    jq::TCommand_Request request;
    request.Command = in.U16();
    request.Index = in.U16();
    request.Value = static_cast<int32_t>(in.U32());
    const jq::TRequest_Frame frame = jq::Build_Request_Frame(request);
    const bool suspect = exchange.Suspect();
    jq::TReply_Block reply;
    reply.Command = static_cast<uint16_t>(~request.Command);
    if (exchange.Attempt(channel, frame, reply) == jq::Frame_Exchange::Outcome::Accepted) {
      // An accepted reply answers this request: its command always, its
      // index too when the link was already suspect.
      if (reply.Command != request.Command) __builtin_trap();
      if (suspect && reply.Index != request.Index) __builtin_trap();
    }
  }
  return 0;
}
