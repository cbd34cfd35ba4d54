#include "tcp_client.h"

#include <algorithm>

#include "tcp_socket.h"

namespace {

[[noreturn]] void Raise(const plat::Net_Error& error) {
  switch (error.code) {
    case plat::Net_Timed_Out: throw EIdReadTimeout();
    case plat::Net_Closed: throw EIdConnClosedGracefully();
    case plat::Net_Unresolved: throw EIdSocketError(11001, "Host not found.");
    default: throw EIdSocketError(error.code, error.text);
  }
}

}  // namespace

EIdSocketError::EIdSocketError(int code, const std::string& text)
    : EIdException("Socket Error # " + std::to_string(code) + "\r\n" + text), code_(code) {}

TIdTCPClient::TIdTCPClient() : socket_(std::make_unique<plat::Tcp_Socket>()) {}
TIdTCPClient::~TIdTCPClient() = default;

void TIdTCPClient::ConnectToHost() {
  CloseConnection();
  if (Host.empty()) throw EIdHostRequired();
  if (Port == 0) throw EIdPortRequired();
  const plat::Net_Error error = socket_->Connect(Host, Port, ConnectTimeout);
  if (error.code == plat::Net_Timed_Out) throw EIdConnectTimeout();
  if (error) Raise(error);
}

void TIdTCPClient::CloseConnection() {
  socket_->Close();
  in_buffer_.clear();
}

bool TIdTCPClient::Connected() { return socket_->Is_Connected(); }

void TIdTCPClient::ResetInBuffer() {
  in_buffer_.clear();
  socket_->Discard_Received();
}

void TIdTCPClient::WriteBlock(const TIdBytes& bytes) {
  if (const plat::Net_Error error = socket_->Write_All(bytes.data(), bytes.size())) Raise(error);
}

void TIdTCPClient::ReadBlock(TIdBytes& bytes, size_t count) {
  uint8_t chunk[512];
  while (in_buffer_.size() < count) {
    size_t got = 0;
    if (const plat::Net_Error error = socket_->Read_Some(chunk, sizeof chunk, ReadTimeout, got))
      Raise(error);
    in_buffer_.insert(in_buffer_.end(), chunk, chunk + got);
  }
  bytes.insert(bytes.end(), in_buffer_.begin(), in_buffer_.begin() + static_cast<ptrdiff_t>(count));
  in_buffer_.erase(in_buffer_.begin(), in_buffer_.begin() + static_cast<ptrdiff_t>(count));
}
