// Stream and file transfer of the I/O handler.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/runtime/files.h"
#include "transport/tcp/stack/net_anti_freeze.h"
#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/core/net_global.h"
#include "transport/tcp/client/net_io_handler.h"

namespace net {

namespace {
constexpr std::int64_t kLargestSize = std::numeric_limits<std::int64_t>::max();
// How far a counted read grows the stream before the bytes arrive. The count
// may come from the peer, and a hostile one would otherwise have us allocate
// gigabytes before a byte arrives; past this the stream grows as data comes.
constexpr std::int64_t kPresizeLimit = std::int64_t{1} << 20;
}  // namespace

void TNetIOHandler::WriteStream(rtl::TStream& stream, std::int64_t size, bool writeSize) {
  if (size < 0) {
    size = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
  } else if (size == 0) {
    stream.SetPosition(0);
    size = stream.Size();
  }
  if (writeSize) {
    if (largeStream_) {
      WriteInteger64(size, true);
    } else {
      if (size > std::numeric_limits<std::int32_t>::max())
        RaiseNet<ENetIOHandlerRequiresLargeStream>("rsrequireslargestream");
      WriteInteger32(static_cast<std::int32_t>(size), true);
    }
  }
  StartWork(wmWrite, size);
  try {
    TNetBytes chunk;
    std::int64_t left = size;
    const std::int64_t chunkSize = std::max<std::int32_t>(sendBufferSize_, 1);
    while (left > 0) {
      const std::int64_t got = ReadBytesFromStream(stream, chunk, std::min(left, chunkSize));
      if (got < 1) RaiseNet<ENetNoDataToRead>("rsidnodatatoread");
      WriteBlock(chunk, static_cast<std::int32_t>(got));
      left -= got;
    }
  } catch (...) {
    FinishWork(wmWrite);
    throw;
  }
  FinishWork(wmWrite);
}

std::int64_t TNetIOHandler::SendFile(const rtl::String& fileName, bool allowSystemTransfer) {
  // The system's own file transmission belongs to the socket handler.
  (void)allowSystemTransfer;
  if (!rtl::FileExists(fileName)) RaiseNet<ENetFileNotFound>("rsfilenotfound", {fileName});
  TNetReadFileExclusiveStream file(fileName);
  WriteStream(file, 0, false);
  return file.Size();
}

void TNetIOHandler::ReadIntoStream(rtl::TStream* stream, std::int64_t count, bool untilDisconnect) {
  if (count == -1 && !untilDisconnect) count = largeStream_ ? ReadInteger64(true) : ReadInteger32(true);
  std::int64_t plannedEnd = -1;
  if (stream && count >= 0) {
    const std::int64_t position = stream->Position();
    if (count > kLargestSize - position) RaiseNet<ENetIOHandlerStreamDataTooLarge>("rsdatatoolarge");
    plannedEnd = position + std::min(count, kPresizeLimit);
    // Only grown: bytes the stream already holds past the planned end are the
    // caller's and stay.
    const std::int64_t held = stream->Size();
    if (held < plannedEnd) {
      stream->SetSize(plannedEnd);
      stream->SetPosition(position);
    } else {
      plannedEnd = -1;
    }
  }
  if (count < 0) untilDisconnect = true;

  std::int64_t left = untilDisconnect ? 0 : count;
  auto moveArrived = [&] {
    std::int32_t n = inBuffer_->Size();
    if (!untilDisconnect) n = static_cast<std::int32_t>(std::min<std::int64_t>(n, left));
    if (n <= 0) return;
    if (stream)
      inBuffer_->ExtractToStream(*stream, n);
    else
      inBuffer_->Discard(n);
    if (!untilDisconnect) left -= n;
  };

  StartWork(wmRead, untilDisconnect ? 0 : count);
  try {
    moveArrived();
    for (;;) {
      if (!untilDisconnect && left <= 0) break;
      bool last = false;
      try {
        if (FillInBuffer(!untilDisconnect, NetTimeoutDefault, true) > 0) {
          TNetAntiFreezeBase::PumpIfDue();
        } else {
          CheckDisconnected(false, false);
          last = true;
        }
      } catch (...) {
        moveArrived();
        throw;
      }
      moveArrived();
      if (last) break;
    }
  } catch (...) {
    FinishWork(wmRead);
    if (stream && plannedEnd >= 0 && stream->Position() < plannedEnd) stream->SetSize(stream->Position());
    throw;
  }
  FinishWork(wmRead);
  if (stream && plannedEnd >= 0 && stream->Position() < plannedEnd) stream->SetSize(stream->Position());
}

}  // namespace net
