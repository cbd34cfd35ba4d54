#include "platform/runtime/streams.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/files.h"

namespace rtl {

std::int64_t TStream::Size() {
  const std::int64_t pos = Seek(0, TSeekOrigin::soCurrent);
  const std::int64_t end = Seek(0, TSeekOrigin::soEnd);
  Seek(pos, TSeekOrigin::soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  auto* p = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const std::int64_t n = Read(p, count);
    if (n <= 0) throw EReadError(u"Stream read error");
    p += n, count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  const auto* p = static_cast<const unsigned char*>(buffer);
  while (count > 0) {
    const std::int64_t n = Write(p, count);
    if (n <= 0) throw EWriteError(u"Stream write error");
    p += n, count -= n;
  }
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  const std::int64_t total = count;
  std::vector<unsigned char> buf(static_cast<std::size_t>(std::min<std::int64_t>(count, 61440) + 1));
  while (count > 0) {
    const std::int64_t n = std::min<std::int64_t>(count, static_cast<std::int64_t>(buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    count -= n;
  }
  return total;
}

// --- memory stream --------------------------------------------------------

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  const std::int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0 || position_ < 0) return 0;
  const std::int64_t end = position_ + count;
  if (end > Capacity()) {
    // Grow by a quarter at least, so many small writes stay linear.
    Realloc(std::max(end, Capacity() + Capacity() / 4 + 64));
  }
  std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  if (end > size_) size_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: position_ = offset; break;
    case TSeekOrigin::soCurrent: position_ += offset; break;
    case TSeekOrigin::soEnd: position_ = size_ + offset; break;
  }
  return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) size = 0;
  if (size > Capacity()) Realloc(size);
  if (size > size_) std::memset(data_.data() + size_, 0, static_cast<std::size_t>(size - size_));
  size_ = size;
  if (position_ > size_) position_ = size_;
}

void TMemoryStream::Realloc(std::int64_t capacity) {
  try {
    data_.resize(static_cast<std::size_t>(capacity));
  } catch (const std::bad_alloc&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  } catch (const std::length_error&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  }
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  size_ = position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const std::int64_t n = source.Size();
  SetSize(n);
  if (n > 0) source.ReadBuffer(data_.data(), n);
  position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) {
  if (size_ > 0) dest.WriteBuffer(data_.data(), size_);
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  const std::string bytes = LoadFileBytes(fileName);
  SetSize(static_cast<std::int64_t>(bytes.size()));
  std::memcpy(data_.data(), bytes.data(), bytes.size());
  position_ = 0;
}

void TMemoryStream::SaveToFile(const String& fileName) {
  AtomicWriteFile(fileName, std::string_view(reinterpret_cast<const char*>(data_.data()), static_cast<std::size_t>(size_)));
}

// --- file stream ----------------------------------------------------------

TFileStream::TFileStream(const String& fileName, std::uint16_t mode) : fileName_(fileName) {
  const std::string path = ToSysPath(fileName);
  if (mode == fmCreate) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      const std::uint32_t code = SetLastErrorFromErrno();
      throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {fileName, SysErrorMessage(code)}));
    }
    return;
  }
  int flags = O_RDONLY;
  if ((mode & 3) == fmOpenWrite) flags = O_WRONLY;
  if ((mode & 3) == fmOpenReadWrite) flags = O_RDWR;
  fd_ = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd_ < 0) {
    const std::uint32_t code = SetLastErrorFromErrno();
    throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {fileName, SysErrorMessage(code)}));
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) SetLastErrorFromErrno();
    return n < 0 ? 0 : n;
  }
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  for (;;) {
    const ssize_t n = ::write(fd_, buffer, static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) SetLastErrorFromErrno();
    return n < 0 ? 0 : n;
  }
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
  const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (r < 0) {
    SetLastErrorFromErrno();
    return -1;
  }
  return r;
}

void TFileStream::SetSize(std::int64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    const std::uint32_t code = SetLastErrorFromErrno();
    throw EStreamError(Format(u"Stream write error: %s", {SysErrorMessage(code)}));
  }
  if (Position() > size) Seek(size, TSeekOrigin::soBeginning);
}

}  // namespace rtl
