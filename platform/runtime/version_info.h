// File version information. Every program and library of the project
// carries a version block (the classic binary layout: a root node
// "VS_VERSION_INFO" with the 52-byte fixed block, "StringFileInfo" string
// tables and "VarFileInfo\Translation") in the ELF section ".jq_version";
// jq_add_version_block (CMake) puts it there at build time.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/rtl_string.h"

namespace rtl {

inline constexpr std::uint32_t VS_FFI_SIGNATURE = 0xFEEF04BD;
inline constexpr std::uint32_t VS_FF_DEBUG = 0x01;
inline constexpr std::uint32_t VS_FF_PRERELEASE = 0x02;
inline constexpr std::uint32_t VS_FF_PATCHED = 0x04;
inline constexpr std::uint32_t VS_FF_PRIVATEBUILD = 0x08;
inline constexpr std::uint32_t VS_FF_INFOINFERRED = 0x10;
inline constexpr std::uint32_t VS_FF_SPECIALBUILD = 0x20;
inline constexpr std::uint32_t VFT_APP = 1;
inline constexpr std::uint32_t VFT_DLL = 2;

// The 52-byte fixed block, little-endian 32-bit fields in this order.
struct VS_FIXEDFILEINFO {
  std::uint32_t dwSignature;
  std::uint32_t dwStrucVersion;
  std::uint32_t dwFileVersionMS;
  std::uint32_t dwFileVersionLS;
  std::uint32_t dwProductVersionMS;
  std::uint32_t dwProductVersionLS;
  std::uint32_t dwFileFlagsMask;
  std::uint32_t dwFileFlags;
  std::uint32_t dwFileOS;
  std::uint32_t dwFileType;
  std::uint32_t dwFileSubtype;
  std::uint32_t dwFileDateMS;
  std::uint32_t dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

// What a version block says.
struct VersionBlockFields {
  std::uint16_t fileVersion[4] = {0, 0, 0, 0};
  std::uint16_t productVersion[4] = {0, 0, 0, 0};
  std::uint32_t fileFlags = 0;
  std::uint32_t fileType = VFT_APP;
  std::uint16_t language = 0x0804;  // Chinese (PRC)
  std::uint16_t codePage = 0x04B0;  // UTF-16
  std::vector<std::pair<String, String>> strings;  // key, value, in order
};

// The binary block (wide form) for the fields.
std::string BuildVersionBlock(const VersionBlockFields& fields);

// Size of the file's version block, 0 when the file has none or cannot be
// read (last error: 2 missing file, 1813 no version block, 193 not ELF).
// `handle` is set to 0.
std::uint32_t GetFileVersionInfoSize(const String& fileName, std::uint32_t* handle);
// Copies up to `len` bytes of the block into `data`; false on failure.
bool GetFileVersionInfo(const String& fileName, std::uint32_t handle, std::uint32_t len, void* data);
// Looks a value up in a block read by GetFileVersionInfo:
//   "\"                                  -> the fixed block, len 52
//   "\VarFileInfo\Translation"           -> 32-bit entries, len in bytes
//   "\StringFileInfo\080404b0\<Key>"     -> UTF-16 text with its terminating
//                                           NUL, len in UTF-16 units
// Names compare without regard to case; the leading '\' may be left out.
// `*buffer` points into `block`, whose size is `blockSize`.
bool VerQueryValue(const void* block, std::uint32_t blockSize, const String& subBlock, const void** buffer,
                   std::uint32_t* len);
// The same, bounded by the block's own length field.
bool VerQueryValue(const void* block, const String& subBlock, const void** buffer, std::uint32_t* len);

// One node of a version block: length, value length, (wide form only) a
// type word, a zero-terminated key, padding to 4, the value, the children.
// The 8-bit form has no type word (text assumed) and 8-bit keys and texts.
struct VersionNode {
  std::size_t start = 0, end = 0;  // node extent within the block
  std::size_t headerSize = 0;      // from the start to the padded end of the key
  std::size_t valueAt = 0, valueBytes = 0;
  std::size_t childrenAt = 0;
  std::uint16_t totalLength = 0, valueLength = 0, type = 1;
  String key;  // 8-bit keys are widened byte by byte
};
// Reads the node at `at`, which must end by `limit` (<= size). False when
// any part of it would lie outside: a length below its own header, a key
// without terminator, a value starting past the node's end. A value that
// runs past the end is cut there.
bool ReadVersionNode(const void* block, std::size_t size, std::size_t at, std::size_t limit, bool wide,
                     VersionNode& node);

// Reads the raw block of an ELF file's ".jq_version" section; false when
// there is none.
bool ReadVersionSection(const String& fileName, std::string& block);

// Path of the module (program or shared library) that contains `address`.
String ModuleFileNameOf(const void* address);

}  // namespace rtl
