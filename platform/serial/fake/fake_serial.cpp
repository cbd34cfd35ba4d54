#include "platform/serial/fake/fake_serial.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform::serial {

Fake_Serial_Api::Fake_Port& Fake_Serial_Api::Add_Port(const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port& p = ports_[name];
  p.name = name;
  return p;
}

Fake_Serial_Api::Fake_Port& Fake_Serial_Api::Port(const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  return ports_.at(name);
}

void Fake_Serial_Api::Feed(const std::string& name, const std::string& bytes) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port& p = ports_.at(name);
  p.input.insert(p.input.end(), bytes.begin(), bytes.end());
}

void Fake_Serial_Api::Feed_After(const std::string& name, int delay_ms, const std::string& bytes) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  ports_.at(name).scheduled.emplace_back(Now_ms() + delay_ms, bytes);
}

void Fake_Serial_Api::Set_Modem_Status(const std::string& name, uint32_t status) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port& p = ports_.at(name);
  const uint32_t changed = p.modem_status ^ status;
  if (changed & MS_Cts_On) p.raised |= EV_Cts;
  if (changed & MS_Dsr_On) p.raised |= EV_Dsr;
  if (changed & MS_Rlsd_On) p.raised |= EV_Rlsd;
  if (changed & MS_Ring_On) p.raised |= EV_Ring;
  p.modem_status = status;
}

void Fake_Serial_Api::Raise_Line_Errors(const std::string& name, uint32_t errors) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port& p = ports_.at(name);
  p.line_errors |= errors;
  if (errors & ~CE_Break) p.raised |= EV_Err;
  if (errors & CE_Break) p.raised |= EV_Break;
}

void Fake_Serial_Api::Raise_Events(const std::string& name, uint32_t events) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  ports_.at(name).raised |= events;
}

Fake_Serial_Api::Fake_Port* Fake_Serial_Api::Find(Handle h) {
  for (auto& [name, p] : ports_)
    if (p.handle == h && h != Invalid_Handle) {
      Deliver_Due(p);
      return &p;
    }
  SetLastError(Error_Invalid_Handle);
  return nullptr;
}

void Fake_Serial_Api::Deliver_Due(Fake_Port& p) {
  const int64_t now = Now_ms();
  std::stable_sort(p.scheduled.begin(), p.scheduled.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  while (!p.scheduled.empty() && p.scheduled.front().first <= now) {
    const std::string& s = p.scheduled.front().second;
    p.input.insert(p.input.end(), s.begin(), s.end());
    p.scheduled.erase(p.scheduled.begin());
  }
}

int64_t Fake_Serial_Api::Next_Due(const Fake_Port& p) const {
  int64_t next = -1;
  for (const auto& [due, bytes] : p.scheduled)
    if (next < 0 || due < next) next = due;
  return next;
}

Handle Fake_Serial_Api::CreateFile(const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  opened_names.push_back(name);
  auto it = ports_.find(name);
  if (it == ports_.end()) {
    Fail(Error_File_Not_Found);
    return Invalid_Handle;
  }
  if (it->second.handle != Invalid_Handle) {
    Fail(Error_Access_Denied);
    return Invalid_Handle;
  }
  it->second.handle = next_handle_++;
  SetLastError(Error_Success);
  return it->second.handle;
}

bool Fake_Serial_Api::CloseHandle(Handle h) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  p->handle = Invalid_Handle;
  p->dtr = p->rts = false;
  return true;
}

bool Fake_Serial_Api::GetCommState(Handle h, DCB& dcb) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  dcb = p->dcb;
  return true;
}

bool Fake_Serial_Api::SetCommState(Handle h, const DCB& dcb) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  p->dcb = dcb;
  ++p->set_state_calls;
  return true;
}

bool Fake_Serial_Api::SetupComm(Handle h, uint32_t in_queue, uint32_t out_queue) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  p->in_queue = in_queue;
  p->out_queue = out_queue;
  return true;
}

bool Fake_Serial_Api::SetCommMask(Handle h, uint32_t mask) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  if (pending_event_) {
    if (pending_event_->Events_Out) *pending_event_->Events_Out = 0;
    pending_event_->Status = Error_Success;
    pending_event_ = nullptr;
  }
  p->mask = mask;
  return true;
}

bool Fake_Serial_Api::GetCommMask(Handle h, uint32_t& mask) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  mask = p->mask;
  return true;
}

bool Fake_Serial_Api::SetCommTimeouts(Handle h, const CommTimeouts& timeouts) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  p->timeouts = timeouts;
  return true;
}

bool Fake_Serial_Api::GetCommTimeouts(Handle h, CommTimeouts& timeouts) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  timeouts = p->timeouts;
  return true;
}

bool Fake_Serial_Api::PurgeComm(Handle h, uint32_t flags) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  p->purges.push_back(flags);
  if ((flags & Purge_TxAbort) && pending_write_) {
    pending_write_->Status = Error_Operation_Aborted;
    pending_write_ = nullptr;
  }
  if (flags & Purge_RxClear) {
    p->input.clear();
    p->rx_level = 0;
  }
  return true;
}

bool Fake_Serial_Api::ClearCommError(Handle h, uint32_t& errors, ComStat* stat) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  errors = p->line_errors;
  p->line_errors = 0;
  if (stat) {
    stat->Flags = 0;
    stat->InQueue = static_cast<uint32_t>(p->input.size());
    stat->OutQueue = 0;
  }
  return true;
}

bool Fake_Serial_Api::FlushFileBuffers(Handle h) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  return Find(h) != nullptr;
}

bool Fake_Serial_Api::EscapeCommFunction(Handle h, uint32_t function) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  p->escapes.push_back(function);
  switch (function) {
    case Esc_SetRts: p->rts = true; return true;
    case Esc_ClrRts: p->rts = false; return true;
    case Esc_SetDtr: p->dtr = true; return true;
    case Esc_ClrDtr: p->dtr = false; return true;
    case Esc_SetBreak: p->break_on = true; ++p->breaks; return true;
    case Esc_ClrBreak: p->break_on = false; return true;
    case Esc_SetXoff: case Esc_SetXon: return true;
    default: return Fail(Error_Invalid_Parameter);
  }
}

bool Fake_Serial_Api::GetCommModemStatus(Handle h, uint32_t& status) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  status = p->modem_status;
  return true;
}

bool Fake_Serial_Api::SetCommBreak(Handle h) { return EscapeCommFunction(h, Esc_SetBreak); }
bool Fake_Serial_Api::ClearCommBreak(Handle h) { return EscapeCommFunction(h, Esc_ClrBreak); }

bool Fake_Serial_Api::TransmitCommChar(Handle h, char c) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  p->output.push_back(static_cast<uint8_t>(c));
  p->tx_since_empty = true;
  return true;
}

uint32_t Fake_Serial_Api::Events_Now(Fake_Port& p, const Overlapped& ov) {
  uint32_t found = 0;
  const uint32_t mask = ov.Event_Mask;
  if ((mask & EV_RxChar) && p.input.size() > p.rx_level) found |= EV_RxChar;
  // The fake sends at once, so the queue empties right after each write.
  if ((mask & EV_TxEmpty) && p.tx_since_empty) found |= EV_TxEmpty;
  const uint32_t changed = p.modem_status ^ ov.Modem_Before;
  if ((mask & EV_Cts) && (changed & MS_Cts_On)) found |= EV_Cts;
  if ((mask & EV_Dsr) && (changed & MS_Dsr_On)) found |= EV_Dsr;
  if ((mask & EV_Rlsd) && (changed & MS_Rlsd_On)) found |= EV_Rlsd;
  if ((mask & EV_Ring) && (changed & MS_Ring_On)) found |= EV_Ring;
  found |= p.raised & mask;
  return found;
}

bool Fake_Serial_Api::WaitCommEvent(Handle h, uint32_t& events, Overlapped& ov) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  if (p->mask == 0) return Fail(Error_Invalid_Parameter);
  ov = Overlapped{};
  ov.Events_Out = &events;
  ov.Event_Mask = p->mask;
  ov.Modem_Before = p->modem_status;
  if ((p->mask & EV_RxChar) && p->input.size() > p->rx_level) {
    p->rx_level = p->input.size();
    events = EV_RxChar;
    return true;
  }
  ov.Status = Error_IO_Pending;
  pending_event_ = &ov;
  return Fail(Error_IO_Pending);
}

uint32_t Fake_Serial_Api::WaitForEvent(Handle h, Overlapped& ov, uint32_t timeout_ms) {
  const int64_t deadline = timeout_ms == Infinite ? -1 : Now_ms() + timeout_ms;
  for (;;) {
    int64_t next_due;
    {
      std::lock_guard<std::recursive_mutex> lock(lock_);
      Fake_Port* p = Find(h);
      if (!p) return Wait_Failed;
      if (ov.Status != Error_IO_Pending) return Wait_Object_0;
      if (const uint32_t found = Events_Now(*p, ov)) {
        p->raised &= ~found;
        if (found & EV_RxChar) p->rx_level = p->input.size();
        if (found & EV_TxEmpty) p->tx_since_empty = false;
        if (ov.Events_Out) *ov.Events_Out = found;
        ov.Status = Error_Success;
        if (pending_event_ == &ov) pending_event_ = nullptr;
        return Wait_Object_0;
      }
      next_due = Next_Due(*p);
    }
    const int64_t now = Now_ms();
    if (deadline >= 0 && now >= deadline) return Wait_Timeout;
    int64_t until = deadline < 0 ? now + 5 : deadline;
    if (next_due >= 0) until = std::min(until, next_due);
    // Short slices so that lines and errors a test sets from another thread are seen.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::clamp<int64_t>(until - now, 0, 5)));
  }
}

bool Fake_Serial_Api::ReadFile(Handle h, void* buffer, uint32_t count, uint32_t& read, Overlapped& ov) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Fake_Port* p = Find(h);
  if (!p) return false;
  ov = Overlapped{};
  read = static_cast<uint32_t>(std::min<size_t>(count, p->input.size()));
  std::copy_n(p->input.begin(), read, static_cast<uint8_t*>(buffer));
  p->input.erase(p->input.begin(), p->input.begin() + read);
  p->rx_level = p->input.size();
  ov.Transferred = read;
  return true;
}

bool Fake_Serial_Api::WriteFile(Handle h, const void* buffer, uint32_t count, uint32_t& written,
                                Overlapped& ov) {
  std::function<void(Fake_Port&, const std::string&)> hook;
  Fake_Port* p;
  {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    p = Find(h);
    if (!p) return false;
    ov = Overlapped{};
    written = 0;
    if (p->stall_writes) {
      ov.Status = Error_IO_Pending;
      pending_write_ = &ov;
      return Fail(Error_IO_Pending);
    }
    const auto* b = static_cast<const uint8_t*>(buffer);
    p->output.insert(p->output.end(), b, b + count);
    written = ov.Transferred = count;
    if (count) p->tx_since_empty = true;
    hook = p->on_write;
  }
  if (hook) hook(*p, std::string(static_cast<const char*>(buffer), count));
  return true;
}

uint32_t Fake_Serial_Api::WaitForSingleObject(Handle h, uint32_t timeout_ms) {
  {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!Find(h)) return Wait_Failed;
    if (!pending_write_) return Wait_Object_0;
  }
  // A stalled write never completes.
  std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms == Infinite ? 0 : timeout_ms));
  return Wait_Timeout;
}

bool Fake_Serial_Api::GetOverlappedResult(Handle h, Overlapped& ov, uint32_t& transferred, bool wait) {
  if (wait && ov.Status == Error_IO_Pending && &ov == pending_event_) WaitForEvent(h, ov, Infinite);
  std::lock_guard<std::recursive_mutex> lock(lock_);
  if (!Find(h)) return false;
  transferred = ov.Transferred;
  if (ov.Status == Error_IO_Pending) return Fail(Error_IO_Incomplete);
  if (ov.Status != Error_Success) return Fail(ov.Status);
  return true;
}

}  // namespace platform::serial
