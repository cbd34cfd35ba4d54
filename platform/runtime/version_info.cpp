#include "platform/runtime/version_info.h"

#include <dlfcn.h>
#include <elf.h>
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/runtime/exceptions.h"

namespace rtl {

namespace {

constexpr std::uint32_t kErrorNoVersion = 1813;  // resource type not found
constexpr std::uint32_t kErrorBadFormat = 193;   // not a valid program file
constexpr char kSectionName[] = ".jq_version";

// --- building ------------------------------------------------------------

void Put16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

void Append16(std::string& b, std::uint16_t v) {
  b.push_back(static_cast<char>(v & 0xFF));
  b.push_back(static_cast<char>(v >> 8));
}

void Append32(std::string& b, std::uint32_t v) {
  Append16(b, static_cast<std::uint16_t>(v & 0xFFFF));
  Append16(b, static_cast<std::uint16_t>(v >> 16));
}

void Align4(std::string& b) {
  while (b.size() % 4) b.push_back('\0');
}

void AppendText(std::string& b, const String& s) {
  for (char16_t c : s) Append16(b, c);
  Append16(b, 0);
}

// Starts a node; returns its offset so EndNode can fill in the length.
std::size_t BeginNode(std::string& b, std::uint16_t valueLength, std::uint16_t type, const String& key) {
  Align4(b);
  const std::size_t at = b.size();
  Append16(b, 0);
  Append16(b, valueLength);
  Append16(b, type);
  AppendText(b, key);
  Align4(b);
  return at;
}

void EndNode(std::string& b, std::size_t at) { Put16(b, at, static_cast<std::uint16_t>(b.size() - at)); }

// --- parsing -------------------------------------------------------------

std::uint16_t Get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::size_t Up4(std::size_t v) { return (v + 3) & ~static_cast<std::size_t>(3); }

// --- ELF -----------------------------------------------------------------

bool PRead(int fd, void* buf, std::size_t len, std::uint64_t off) {
  auto* p = static_cast<char*>(buf);
  while (len > 0) {
    const ssize_t n = ::pread(fd, p, len, static_cast<off_t>(off));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n, len -= static_cast<std::size_t>(n), off += static_cast<std::uint64_t>(n);
  }
  return true;
}

template <typename Ehdr, typename Shdr>
bool FindSection(int fd, std::uint64_t fileSize, std::string& out, std::uint32_t& error) {
  Ehdr eh;
  if (!PRead(fd, &eh, sizeof eh, 0) || eh.e_shentsize != sizeof(Shdr) || eh.e_shoff == 0) {
    error = kErrorBadFormat;
    return false;
  }
  std::uint64_t count = eh.e_shnum;
  std::uint32_t strIndex = eh.e_shstrndx;
  Shdr first;
  if (!PRead(fd, &first, sizeof first, eh.e_shoff)) {
    error = kErrorBadFormat;
    return false;
  }
  if (count == 0) count = first.sh_size;  // extended numbering
  if (strIndex == SHN_XINDEX) strIndex = first.sh_link;
  if (count > 65536 * 4 || strIndex >= count || eh.e_shoff + count * sizeof(Shdr) > fileSize) {
    error = kErrorBadFormat;
    return false;
  }
  std::vector<Shdr> sh(count);
  if (!PRead(fd, sh.data(), count * sizeof(Shdr), eh.e_shoff)) {
    error = kErrorBadFormat;
    return false;
  }
  const Shdr& strtab = sh[strIndex];
  if (strtab.sh_offset + strtab.sh_size > fileSize || strtab.sh_size > (64u << 20)) {
    error = kErrorBadFormat;
    return false;
  }
  std::string names(strtab.sh_size, '\0');
  if (!PRead(fd, names.data(), names.size(), strtab.sh_offset)) {
    error = kErrorBadFormat;
    return false;
  }
  for (const Shdr& s : sh) {
    if (s.sh_name >= names.size()) continue;
    if (std::strcmp(names.c_str() + s.sh_name, kSectionName) != 0) continue;
    if (s.sh_type == SHT_NOBITS || s.sh_size == 0 || s.sh_size > 0xFFFF ||
        s.sh_offset + s.sh_size > fileSize)
      break;
    out.assign(s.sh_size, '\0');
    if (!PRead(fd, out.data(), out.size(), s.sh_offset)) break;
    return true;
  }
  error = kErrorNoVersion;
  return false;
}

}  // namespace

bool ReadVersionNode(const void* block, std::size_t size, std::size_t at, std::size_t limit, bool wide,
                     VersionNode& n) {
  const auto* b = static_cast<const unsigned char*>(block);
  const std::size_t fixed = wide ? 6 : 4;
  if (!b || limit > size || at > limit || limit - at < fixed) return false;
  const std::uint16_t total = Get16(b + at);
  if (total < fixed || total > limit - at) return false;
  n.start = at;
  n.end = at + total;
  n.totalLength = total;
  n.valueLength = Get16(b + at + 2);
  n.type = wide ? Get16(b + at + 4) : 1;
  n.key.clear();
  std::size_t p = at + fixed;
  const std::size_t unit = wide ? 2 : 1;
  for (;;) {
    if (p + unit > n.end) return false;
    const char16_t c = wide ? static_cast<char16_t>(Get16(b + p)) : static_cast<char16_t>(b[p]);
    p += unit;
    if (c == 0) break;
    n.key.push_back(c);
  }
  n.headerSize = Up4(p) - at;
  n.valueAt = Up4(p);
  if (n.valueAt > n.end) return false;
  n.valueBytes = wide && n.type == 1 ? n.valueLength * 2u : n.valueLength;
  // A text value may be counted without room for its padding; cut it.
  if (n.valueBytes > n.end - n.valueAt) n.valueBytes = n.end - n.valueAt;
  n.childrenAt = Up4(n.valueAt + n.valueBytes);
  return true;
}

std::string BuildVersionBlock(const VersionBlockFields& f) {
  std::string b;
  const std::size_t root = BeginNode(b, sizeof(VS_FIXEDFILEINFO), 0, u"VS_VERSION_INFO");
  Append32(b, VS_FFI_SIGNATURE);
  Append32(b, 0x00010000);
  Append32(b, static_cast<std::uint32_t>(f.fileVersion[0]) << 16 | f.fileVersion[1]);
  Append32(b, static_cast<std::uint32_t>(f.fileVersion[2]) << 16 | f.fileVersion[3]);
  Append32(b, static_cast<std::uint32_t>(f.productVersion[0]) << 16 | f.productVersion[1]);
  Append32(b, static_cast<std::uint32_t>(f.productVersion[2]) << 16 | f.productVersion[3]);
  Append32(b, 0x3F);
  Append32(b, f.fileFlags);
  Append32(b, 0x00040004);  // the classic 32-bit OS value
  Append32(b, f.fileType);
  Append32(b, 0);
  Append32(b, 0);
  Append32(b, 0);

  const std::size_t sfi = BeginNode(b, 0, 1, u"StringFileInfo");
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  String tableKey;
  for (int shift = 12; shift >= 0; shift -= 4) tableKey.push_back(kHex[(f.language >> shift) & 0xF]);
  for (int shift = 12; shift >= 0; shift -= 4) tableKey.push_back(kHex[(f.codePage >> shift) & 0xF]);
  const std::size_t table = BeginNode(b, 0, 1, tableKey);
  for (const auto& [key, value] : f.strings) {
    const std::size_t node = BeginNode(b, static_cast<std::uint16_t>(value.size() + 1), 1, key);
    AppendText(b, value);
    EndNode(b, node);
  }
  EndNode(b, table);
  EndNode(b, sfi);

  const std::size_t vfi = BeginNode(b, 0, 1, u"VarFileInfo");
  const std::size_t var = BeginNode(b, 4, 0, u"Translation");
  Append16(b, f.language);
  Append16(b, f.codePage);
  EndNode(b, var);
  EndNode(b, vfi);
  EndNode(b, root);
  Align4(b);
  return b;
}

bool ReadVersionSection(const String& fileName, std::string& block) {
  const int fd = ::open(ToSysPath(fileName).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetLastErrorFromErrno();
    return false;
  }
  std::uint32_t error = kErrorBadFormat;
  bool ok = false;
  unsigned char ident[EI_NIDENT];
  const off_t size = ::lseek(fd, 0, SEEK_END);
  if (size > 0 && PRead(fd, ident, sizeof ident, 0) && std::memcmp(ident, ELFMAG, SELFMAG) == 0 &&
      ident[EI_DATA] == ELFDATA2LSB) {
    if (ident[EI_CLASS] == ELFCLASS64)
      ok = FindSection<Elf64_Ehdr, Elf64_Shdr>(fd, static_cast<std::uint64_t>(size), block, error);
    else if (ident[EI_CLASS] == ELFCLASS32)
      ok = FindSection<Elf32_Ehdr, Elf32_Shdr>(fd, static_cast<std::uint64_t>(size), block, error);
  }
  ::close(fd);
  if (!ok) SetLastError(error);
  return ok;
}

std::uint32_t GetFileVersionInfoSize(const String& fileName, std::uint32_t* handle) {
  if (handle) *handle = 0;
  std::string block;
  if (!ReadVersionSection(fileName, block)) return 0;
  return static_cast<std::uint32_t>(block.size());
}

bool GetFileVersionInfo(const String& fileName, std::uint32_t, std::uint32_t len, void* data) {
  std::string block;
  if (!data || !ReadVersionSection(fileName, block)) return false;
  std::memcpy(data, block.data(), std::min<std::size_t>(len, block.size()));
  return true;
}

bool VerQueryValue(const void* block, std::uint32_t blockSize, const String& subBlock, const void** buffer,
                   std::uint32_t* len) {
  if (!block || !buffer || !len) return false;
  const auto* b = static_cast<const unsigned char*>(block);
  VersionNode node;
  if (!ReadVersionNode(b, blockSize, 0, blockSize, true, node) || !SameText(node.key, u"VS_VERSION_INFO")) {
    SetLastError(kErrorNoVersion);
    return false;
  }
  std::size_t i = 0;
  while (i < subBlock.size()) {
    while (i < subBlock.size() && subBlock[i] == u'\\') ++i;
    if (i >= subBlock.size()) break;
    std::size_t j = subBlock.find(u'\\', i);
    if (j == String::npos) j = subBlock.size();
    const String name = subBlock.substr(i, j - i);
    i = j;
    bool found = false;
    for (std::size_t at = node.childrenAt; at < node.end;) {
      VersionNode child;
      if (!ReadVersionNode(b, blockSize, at, node.end, true, child)) break;
      if (SameText(child.key, name)) {
        node = child;
        found = true;
        break;
      }
      at = Up4(child.end);
    }
    if (!found) {
      SetLastError(kErrorNoVersion);
      return false;
    }
  }
  *buffer = b + node.valueAt;
  *len = node.type == 1 ? static_cast<std::uint32_t>(node.valueBytes / 2) : static_cast<std::uint32_t>(node.valueBytes);
  return true;
}

bool VerQueryValue(const void* block, const String& subBlock, const void** buffer, std::uint32_t* len) {
  if (!block) return false;
  const std::uint32_t size = Get16(static_cast<const unsigned char*>(block));
  return VerQueryValue(block, size, subBlock, buffer, len);
}

String ModuleFileNameOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || !info.dli_fname) return String();
  const String name = FromSysPath(info.dli_fname);
  // The main program reports the name it was started with; prefer its path.
  if (name.empty() || name.find(u'/') == String::npos) {
    std::vector<char> buf(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n > 0) return FromSysPath(std::string_view(buf.data(), static_cast<std::size_t>(n)));
  }
  return name;
}

}  // namespace rtl
