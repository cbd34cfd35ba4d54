// What every fuzz target shares: a private home folder for the run, and the
// input split into fields and read as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/rtl_string.h"

namespace fuzz {

// The run's own folder (HOME, the XDG folders, the registry folder and TMPDIR
// point inside it); made on first use, removed when the run ends normally.
const std::string& RunFolder();

// Input text: UTF-8 (bad bytes become U+FFFD), or, after a leading 0xFF byte,
// raw UTF-16LE units, so lone surrogates and every code unit are reachable.
rtl::String Text(std::string_view bytes);

// The input cut at every `separator` byte (a trailing field may be empty).
std::vector<std::string_view> Fields(const std::uint8_t* data, std::size_t size, char separator = '\n');

// Replaces a whole file's bytes inside the run folder; returns its path.
std::string WriteRunFile(const std::string& name, std::string_view bytes);

// Pops bytes off the front of the input for the targets that drive a peer.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}
  bool Empty() const { return n_ == 0; }
  std::size_t Left() const { return n_; }
  std::uint8_t Byte() {
    if (n_ == 0) return 0;
    --n_;
    return *p_++;
  }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
  std::uint32_t U32() { return U16() | static_cast<std::uint32_t>(U16()) << 16; }
  // Up to `count` bytes (fewer at the end of the input).
  std::string_view Take(std::size_t count) {
    if (count > n_) count = n_;
    std::string_view out(reinterpret_cast<const char*>(p_), count);
    p_ += count;
    n_ -= count;
    return out;
  }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
};

}  // namespace fuzz
