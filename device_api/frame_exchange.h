// One request/reply exchange on a framed link (serial line or TCP), with the rule
// that keeps a reply to an earlier request from answering a later one.
//
// A link is trusted until something unexpected shows on it: an exchange that ends
// without its reply (time-out, short, damaged or mismatched reply, link error),
// bytes found waiting before a request goes out, or bytes after an accepted
// reply. Any of these may leave a late or duplicated reply in flight, and the
// command echo alone cannot tell it from the awaited one when the command repeats
// (polling axis after axis). For Suspect_Hold_Replies reply time-outs after the
// last such event the link is suspect: a reply must then echo both the command
// and the index of the request; other frames and stray bytes are skipped and
// reading goes on until the time-out. A trusted link takes the first 14 bytes as
// the reply and compares the command echo only, as controllers that answer in
// time expect; with one exception for a duplicate still in flight when the next
// request goes out: a frame that repeats the last accepted reply byte for byte,
// where that reply echoed its request's index (or value) and the new request has
// another index (or value), is that earlier reply again. It is skipped and the
// exchange goes on as on a suspect link. A controller that echoes what it was
// asked never sends such a frame as a new reply.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device_api/command.h"
#include "device_api/frames.h"

namespace jq {

// One slot's byte stream to its controller, as a framed link's transport offers it.
class Frame_Channel {
 public:
  enum class Receive_Result { Data, Timed_Out, Failed };
  virtual ~Frame_Channel() = default;
  // Drops what has arrived and was not read; answers how many bytes that was.
  virtual size_t Drop_Input() = 0;
  virtual bool Send(const TRequest_Frame& frame) = 0;
  // Waits up to `timeout_ms` for input and appends what has arrived. Failed means
  // the link cannot deliver any more (hang-up, reset, device error).
  virtual Receive_Result Receive(std::vector<uint8_t>& bytes, int timeout_ms) = 0;
};

constexpr int Suspect_Hold_Replies = 4;

class Frame_Exchange {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Outcome { Accepted, Rejected, Timed_Out, Failed };

  explicit Frame_Exchange(int reply_timeout_ms) : timeout_(reply_timeout_ms) {}

  // Drops waiting input, sends the frame and reads its reply for at most the reply
  // time-out. Accepted leaves the reply in `reply` (its status not yet judged).
  Outcome Attempt(Frame_Channel& channel, const TRequest_Frame& frame, TReply_Block& reply);

  // A link opened or closed starts afresh.
  void Trust() {
    suspect_until_ = Clock::time_point();
    have_last_ = false;
    clean_ = true;
  }
  bool Suspect() const { return Clock::now() < suspect_until_; }
  // True while every exchange since the link was opened took its own reply
  // and nothing more: no request is owed a reply, so no late one can be on
  // its way. Until then the link looks for waiting bytes before each request.
  bool Clean() const { return clean_; }

 private:
  void Distrust();
  // Looks for the reply in what has arrived; true once it is decided. A trusted
  // look that meets a repeated earlier reply turns `suspect` on.
  bool Take_Trusted(const TRequest_Frame& frame, TReply_Block& reply, Outcome& outcome, bool& suspect);
  bool Take_Suspect(const TRequest_Frame& frame, TReply_Block& reply, Outcome& outcome);
  bool Repeats_Last_Reply(const TRequest_Frame& frame, const uint8_t* data) const;
  void Remember(const TRequest_Frame& frame, const uint8_t* data);

  std::chrono::milliseconds timeout_;
  Clock::time_point suspect_until_{};
  bool clean_ = true;
  std::vector<uint8_t> input_;
  // The last accepted exchange, to know its reply when it comes again.
  bool have_last_ = false;
  TRequest_Frame last_request_{};
  std::array<uint8_t, Reply_Frame_Size> last_reply_{};
};

}  // namespace jq
