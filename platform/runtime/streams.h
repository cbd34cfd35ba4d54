// Byte streams: the abstract stream, a memory stream and a file stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/rtl_string.h"

namespace rtl {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads or writes up to `count` bytes; returns how many were moved.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(std::int64_t size) = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
  virtual std::int64_t Size();

  // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
  // Copies `count` bytes from `source` at its position; count 0 copies the
  // whole source from its start. Returns the bytes copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream : public TStream {
 public:
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;
  std::int64_t Size() override { return size_; }

  void* Memory() { return data_.data(); }
  const void* Memory() const { return data_.data(); }
  void Clear();
  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& dest);
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  std::string ToBytes() const { return std::string(data_.begin(), data_.begin() + size_); }

 protected:
  // Grows or shrinks the storage to at least `capacity` bytes. Raises
  // EStreamError "Out of memory while expanding memory stream" on failure.
  virtual void Realloc(std::int64_t capacity);
  std::int64_t Capacity() const { return static_cast<std::int64_t>(data_.size()); }

 private:
  std::vector<unsigned char> data_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

// File open modes.
enum : std::uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmCreate = 0xFF00,  // create or truncate, read-write
};

class TFileStream : public TStream {
 public:
  // Raises EFOpenError "Cannot open file \"<name>\". <reason>" or
  // EFCreateError "Cannot create file \"<name>\". <reason>".
  TFileStream(const String& fileName, std::uint16_t mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;
  const String& FileName() const { return fileName_; }

 private:
  String fileName_;
  int fd_ = -1;
};

}  // namespace rtl
