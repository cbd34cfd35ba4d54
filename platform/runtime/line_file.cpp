#include "platform/runtime/line_file.h"

#include <cstring>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/files.h"

namespace rtl {

TLineFile::TLineFile(std::string_view newLineEnd)
    : newEnd_(newLineEnd == "\n" ? kLf : newLineEnd == "\r" ? kCr : kCrLf) {}

bool TLineFile::Load(const String& fileName) {
  bytes_.clear();
  owned_.clear();
  lines_.clear();
  encoding_ = TextEncoding::System;
  if (!ReadFileBytes(fileName, bytes_)) {
    bytes_.clear();
    const std::uint32_t err = GetLastError();
    return err == 2 || err == 3;  // no file (or folder) yet
  }
  encoding_ = DetectFileEncoding(bytes_);
  const bool wide = encoding_ == TextEncoding::Utf16LE || encoding_ == TextEncoding::Utf16BE;
  const bool bigEndian = encoding_ == TextEncoding::Utf16BE;
  const std::size_t unit = wide ? 2 : 1, n = bytes_.size();
  const auto* b = reinterpret_cast<const unsigned char*>(bytes_.data());
  auto at = [&](std::size_t k) -> unsigned {
    if (!wide) return b[k];
    return bigEndian ? (b[k] << 8 | b[k + 1]) : (b[k + 1] << 8 | b[k]);
  };
  bool endSeen = false;
  std::size_t start = ByteOrderMark(encoding_).size(), pos = start;
  while (pos + unit <= n) {
    const unsigned c = at(pos);
    if (c != '\r' && c != '\n') {
      pos += unit;
      continue;
    }
    Line line{start, pos - start, -1, c == '\r' ? kCr : kLf};
    pos += unit;
    if (c == '\r' && pos + unit <= n && at(pos) == '\n') {
      line.end = kCrLf;
      pos += unit;
    }
    if (!endSeen) newEnd_ = line.end, endSeen = true;
    lines_.push_back(line);
    start = pos;
  }
  if (start < n) lines_.push_back(Line{start, n - start, -1, kNoEnd});
  return true;
}

std::string_view TLineFile::Bytes(std::size_t i) const {
  const Line& l = lines_[i];
  if (l.owned >= 0) return owned_[static_cast<std::size_t>(l.owned)];
  return std::string_view(bytes_).substr(l.offset, l.length);
}

String TLineFile::Text(std::size_t i) const { return DecodeText(Bytes(i), CodePageOf(encoding_)); }

bool TLineFile::Holds(std::size_t i, char c) const {
  const std::string_view b = Bytes(i);
  return !b.empty() && std::memchr(b.data(), c, b.size()) != nullptr;
}

std::string TLineFile::Encode(std::u16string_view text) const { return EncodeText(text, CodePageOf(encoding_)); }

void TLineFile::Replace(std::size_t i, std::string bytes) {
  owned_.push_back(std::move(bytes));
  lines_[i].owned = static_cast<int>(owned_.size() - 1);
}

void TLineFile::Insert(std::size_t at, std::string bytes) {
  if (at == lines_.size() && !lines_.empty() && lines_.back().end == kNoEnd) lines_.back().end = newEnd_;
  owned_.push_back(std::move(bytes));
  Line line;
  line.owned = static_cast<int>(owned_.size() - 1);
  line.end = newEnd_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
}

void TLineFile::Erase(std::size_t from, std::size_t to) {
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(from), lines_.begin() + static_cast<std::ptrdiff_t>(to));
}

void TLineFile::AppendEnd(std::string& out, std::uint8_t end) const {
  const char* ascii = end == kCr ? "\r" : end == kLf ? "\n" : end == kCrLf ? "\r\n" : "";
  for (const char* c = ascii; *c; ++c) {
    if (encoding_ == TextEncoding::Utf16LE) out += {*c, '\0'};
    else if (encoding_ == TextEncoding::Utf16BE) out += {'\0', *c};
    else out += *c;
  }
}

bool TLineFile::Join(std::string& out) const {
  const bool wide = encoding_ == TextEncoding::Utf16LE || encoding_ == TextEncoding::Utf16BE;
  std::size_t size = ByteOrderMark(encoding_).size();
  for (std::size_t i = 0; i < lines_.size(); ++i) size += Bytes(i).size() + 4;
  out.clear();
  out.reserve(size);
  out += ByteOrderMark(encoding_);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view b = Bytes(i);
    // Whatever follows an odd byte would be read out of step.
    if (wide && b.size() % 2 != 0 && (lines_[i].end != kNoEnd || i + 1 < lines_.size())) return false;
    out += b;
    AppendEnd(out, lines_[i].end);
  }
  return true;
}

}  // namespace rtl
