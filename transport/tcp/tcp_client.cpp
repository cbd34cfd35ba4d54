#include "tcp_client.h"

#include <algorithm>

#include "tcp_socket.h"

namespace jq {

namespace net = platform::net;

namespace {

[[noreturn]] void Raise(const net::Net_Error& error) {
  switch (error.code) {
    case net::Net_Timed_Out: throw ENetReadTimeout();
    case net::Net_Closed: throw ENetConnClosedGracefully();
    case net::Net_Unresolved: throw ENetSocketError(11001, "Host not found.");
    default: throw ENetSocketError(error.code, error.text);
  }
}

}  // namespace

ENetSocketError::ENetSocketError(int code, const std::string& text)
    : ENetException("Socket Error # " + std::to_string(code) + "\r\n" + text), code_(code) {}

TNetTCPClient::TNetTCPClient() : socket_(std::make_unique<net::Tcp_Socket>()) {}
TNetTCPClient::~TNetTCPClient() = default;

void TNetTCPClient::ConnectToHost() {
  CloseConnection();
  if (Host.empty()) throw ENetHostRequired();
  if (Port == 0) throw ENetPortRequired();
  const net::Net_Error error = socket_->Connect(Host, Port, ConnectTimeout);
  if (error.code == net::Net_Timed_Out) throw ENetConnectTimeout();
  if (error) Raise(error);
}

void TNetTCPClient::CloseConnection() {
  socket_->Close();
  in_buffer_.clear();
}

bool TNetTCPClient::Connected() { return socket_->Is_Connected(); }

size_t TNetTCPClient::ResetInBuffer() {
  const size_t dropped = in_buffer_.size();
  in_buffer_.clear();
  return dropped + socket_->Discard_Received();
}

void TNetTCPClient::WriteBlock(const TNetBytes& bytes) {
  if (const net::Net_Error error = socket_->Write_All(bytes.data(), bytes.size())) Raise(error);
}

void TNetTCPClient::ReadBlock(TNetBytes& bytes, size_t count) {
  uint8_t chunk[512];
  while (in_buffer_.size() < count) {
    size_t got = 0;
    if (const net::Net_Error error = socket_->Read_Some(chunk, sizeof chunk, ReadTimeout, got))
      Raise(error);
    in_buffer_.insert(in_buffer_.end(), chunk, chunk + got);
  }
  bytes.insert(bytes.end(), in_buffer_.begin(), in_buffer_.begin() + static_cast<ptrdiff_t>(count));
  in_buffer_.erase(in_buffer_.begin(), in_buffer_.begin() + static_cast<ptrdiff_t>(count));
}

}  // namespace jq
