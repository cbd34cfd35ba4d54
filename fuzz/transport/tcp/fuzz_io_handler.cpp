#include "fuzz/transport/tcp/fuzz_io_handler.h"

#include <algorithm>
#include <cstring>

#include "platform/net/dynamic_library.h"
#include "transport/tcp/stack/net_stack.h"

namespace fuzz {

void UseSocketModules() {
  static const bool done = [] {
    platform::net::SetLibraryFile("WS2_32.DLL", JQ_FUZZ_WS2_32);
    platform::net::SetLibraryFile("MSWSOCK.DLL", JQ_FUZZ_WS2_32);
    platform::net::SetLibraryFile("IPHLPAPI.DLL", JQ_FUZZ_IPHLPAPI);
    // Held for the run: otherwise every input loads and unloads the stack.
    net::TNetStack::IncUsage();
    return true;
  }();
  (void)done;
}

void TFuzzIOHandler::SetPeer(std::string_view bytes, std::size_t chunk) {
  peer_.assign(bytes);
  at_ = 0;
  chunk_ = chunk;
}

void TFuzzIOHandler::CheckDisconnected(bool raiseIfDisconnected, bool ignoreBuffer) {
  if (peerClosed_ && IsOpen()) CloseHandler();
  const bool disconnected = peerClosed_ || !IsOpen();
  if (disconnected && (InBufferEmpty() || ignoreBuffer) && raiseIfDisconnected) RaiseClosedGracefully();
}

std::int32_t TFuzzIOHandler::FetchFromSource(net::TNetBytes& bytes) {
  std::size_t n = std::min(bytes.size(), peer_.size() - at_);
  if (chunk_ > 0) n = std::min(n, chunk_);
  if (n > 0) std::memcpy(bytes.data(), peer_.data() + at_, n);
  at_ += n;
  return static_cast<std::int32_t>(n);
}

}  // namespace fuzz
