// An I/O handler whose peer is the fuzz input: what it receives arrives in
// chunks of a chosen size, then the peer closes; what it sends is dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "transport/tcp/client/net_io_handler.h"

namespace fuzz {

// Points the socket layer at this build's socket modules; once per run.
void UseSocketModules();

class TFuzzIOHandler : public net::TNetIOHandler {
 public:
  using net::TNetIOHandler::TNetIOHandler;
  // The peer's bytes, and how many arrive at most per read (0: all at once).
  void SetPeer(std::string_view bytes, std::size_t chunk);
  void CheckDisconnected(bool raiseIfDisconnected, bool ignoreBuffer) override;
  bool IsReadable(std::int32_t) override { return true; }

 protected:
  std::int32_t FetchFromSource(net::TNetBytes& bytes) override;
  std::int32_t PushToTarget(const net::TNetBytes&, std::int32_t, std::int32_t count) override { return count; }
  bool HasSource() const override { return IsOpen(); }
  std::int32_t ErrorFromResult(std::int32_t) override { return net::Id_WSAECONNRESET; }
  [[noreturn]] void RaiseSocketFailure(std::int32_t) override { RaiseClosedGracefully(); }

 private:
  std::string peer_;
  std::size_t at_ = 0;
  std::size_t chunk_ = 0;
};

}  // namespace fuzz
