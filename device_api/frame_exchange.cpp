#include "device_api/frame_exchange.h"

#include <algorithm>

#include "device_api/device_slots.h"

namespace jq {
namespace {

uint16_t Request_Index(const TRequest_Frame& frame) {
  return static_cast<uint16_t>(frame[4] | frame[5] << 8);
}

int32_t Request_Value(const TRequest_Frame& frame) {
  return static_cast<int32_t>(static_cast<uint32_t>(frame[6]) | static_cast<uint32_t>(frame[7]) << 8 |
                              static_cast<uint32_t>(frame[8]) << 16 | static_cast<uint32_t>(frame[9]) << 24);
}

}  // namespace

bool Frame_Exchange::Repeats_Last_Reply(const TRequest_Frame& frame, const uint8_t* data) const {
  if (!have_last_ || !std::equal(last_reply_.begin(), last_reply_.end(), data)) return false;
  TReply_Block last;
  if (!Accept_Reply_Frame(last_request_, last_reply_.data(), Reply_Frame_Size, last)) return false;
  const bool index_echoed = last.Index == Request_Index(last_request_);
  const bool value_echoed = last.Value == Request_Value(last_request_);
  return (index_echoed && Request_Index(frame) != Request_Index(last_request_)) ||
         (value_echoed && Request_Value(frame) != Request_Value(last_request_));
}

void Frame_Exchange::Distrust() {
  suspect_until_ = Clock::now() + timeout_ * Suspect_Hold_Replies;
  clean_ = false;
}

void Frame_Exchange::Remember(const TRequest_Frame& frame, const uint8_t* data) {
  have_last_ = true;
  last_request_ = frame;
  std::copy_n(data, Reply_Frame_Size, last_reply_.begin());
}

bool Frame_Exchange::Take_Trusted(const TRequest_Frame& frame, TReply_Block& reply, Outcome& outcome,
                                  bool& suspect) {
  if (input_.size() < Reply_Frame_Size) return false;
  if (Repeats_Last_Reply(frame, input_.data())) {
    input_.erase(input_.begin(), input_.begin() + Reply_Frame_Size);
    Distrust();
    suspect = true;
    return false;
  }
  const bool ok = Accept_Reply_Frame(frame, input_.data(), Reply_Frame_Size, reply);
  if (!ok || input_.size() > Reply_Frame_Size) Distrust();
  if (ok) Remember(frame, input_.data());
  outcome = ok ? Outcome::Accepted : Outcome::Rejected;
  return true;
}

bool Frame_Exchange::Take_Suspect(const TRequest_Frame& frame, TReply_Block& reply, Outcome& outcome) {
  size_t pos = 0;
  for (;;) {
    while (pos + 1 < input_.size() && !(input_[pos] == Head0 && input_[pos + 1] == Head1)) ++pos;
    if (input_.size() - pos < Reply_Frame_Size) break;
    TReply_Block candidate;
    if (Accept_Reply_Frame(frame, input_.data() + pos, Reply_Frame_Size, candidate) &&
        candidate.Index == Request_Index(frame) && !Repeats_Last_Reply(frame, input_.data() + pos)) {
      reply = candidate;
      Remember(frame, input_.data() + pos);
      if (pos > 0 || input_.size() > pos + Reply_Frame_Size) Distrust();
      outcome = Outcome::Accepted;
      return true;
    }
    // Another request's reply, or a damaged frame: skip it whole when it is a
    // well-formed frame, else one byte, to find the next head.
    const uint8_t* f = input_.data() + pos;
    unsigned sum = 0;
    for (size_t i = 2; i <= 10; ++i) sum += f[i];
    const bool whole = f[12] == 0xCC && f[13] == 0x33 && static_cast<uint8_t>(sum) == f[11];
    pos += whole ? Reply_Frame_Size : 1;
  }
  if (pos > 0) {
    Distrust();
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(pos));
  }
  return false;
}

Frame_Exchange::Outcome Frame_Exchange::Attempt(Frame_Channel& channel, const TRequest_Frame& frame,
                                                TReply_Block& reply) {
  // One clock read serves the deadline and the suspect test: on a fast link a
  // clock read is a noticeable share of an exchange.
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + timeout_;
  // Bytes waiting now answer nothing we still wait for: a late or duplicated reply.
  if (channel.Drop_Input() > 0) Distrust();
  bool suspect = start < suspect_until_;
  input_.clear();
  if (!channel.Send(frame)) {
    Distrust();
    return Outcome::Failed;
  }
  Command_Lock().Reply_Awaited();
  Outcome outcome = Outcome::Timed_Out;
  for (;;) {
    const bool was_suspect = suspect;
    if (suspect ? Take_Suspect(frame, reply, outcome) : Take_Trusted(frame, reply, outcome, suspect))
      return outcome;
    if (suspect != was_suspect) continue;  // what is left, looked at as on a suspect link
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    const Frame_Channel::Receive_Result got = channel.Receive(input_, static_cast<int>(left));
    if (got == Frame_Channel::Receive_Result::Failed) {
      Distrust();
      return Outcome::Failed;
    }
  }
  Distrust();
  return Outcome::Timed_Out;
}

}  // namespace jq
