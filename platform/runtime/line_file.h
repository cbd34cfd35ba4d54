// A text file held as its lines, each with its own bytes and line end, so an
// edit rewrites only the lines it touches: lines in another code page, stray
// bytes, NULs, a byte-order mark and odd line ends elsewhere in the file
// survive a save byte for byte. Lines end at CR LF, LF or CR (two-byte units
// in a UTF-16 file); the last line may have no end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/codepage.h"
#include "platform/runtime/rtl_string.h"

namespace rtl {

class TLineFile {
 public:
  // Line end of new lines in a file that has none yet to copy.
  explicit TLineFile(std::string_view newLineEnd = "\r\n");

  // Reads the file and finds its encoding (DetectFileEncoding). A missing
  // file gives no lines in the system page. False (last error set) when the
  // file is there but cannot be read; the lines are then empty.
  bool Load(const String& fileName);

  TextEncoding Encoding() const { return encoding_; }
  std::size_t Count() const { return lines_.size(); }
  // The bytes of a line without its end (the first without the mark).
  std::string_view Bytes(std::size_t i) const;
  // The line decoded in the file's encoding.
  String Text(std::size_t i) const;
  // Whether the line holds the ASCII character `c`: a quick test before
  // decoding, true for every line that decodes to text holding `c`.
  bool Holds(std::size_t i, char c) const;

  // Changes. New lines get the line end the file uses (its first one); a
  // last line without an end gets one when a line is added after it.
  void Replace(std::size_t i, std::string bytes);
  void Insert(std::size_t at, std::string bytes);
  void ReplaceText(std::size_t i, std::u16string_view text) { Replace(i, Encode(text)); }
  void InsertText(std::size_t at, std::u16string_view text) { Insert(at, Encode(text)); }
  void Erase(std::size_t from, std::size_t to);

  // The whole file: mark, lines, ends. False when it cannot be put together
  // without damage (a UTF-16 line of odd length with text after it).
  bool Join(std::string& out) const;

 private:
  enum : std::uint8_t { kNoEnd, kCr, kLf, kCrLf };
  struct Line {
    std::size_t offset = 0, length = 0;  // in bytes_, unless owned
    int owned = -1;                       // index into owned_
    std::uint8_t end = kNoEnd;
  };
  std::string Encode(std::u16string_view text) const;
  void AppendEnd(std::string& out, std::uint8_t end) const;

  std::string bytes_;  // the file as read
  std::vector<std::string> owned_;
  std::vector<Line> lines_;
  TextEncoding encoding_ = TextEncoding::System;
  std::uint8_t newEnd_;
};

}  // namespace rtl
