#include "fuzz/support/fuzz_support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace fuzz {
namespace {

void RemoveRunFolder();

std::string MakeRunFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "jq_fuzz_XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) ::abort();
  const std::filesystem::path h(tmpl);
  const std::pair<const char*, std::filesystem::path> points[] = {
      {"HOME", h},
      {"XDG_CONFIG_HOME", h / ".config"},
      {"XDG_CACHE_HOME", h / ".cache"},
      {"XDG_DATA_HOME", h / ".local/share"},
      {"XDG_STATE_HOME", h / ".local/state"},
      {"JQ_REGISTRY_DIR", h / "registry"},
      {"TMPDIR", h / "tmp"},
  };
  for (const auto& [name, dir] : points) {
    std::filesystem::create_directories(dir);
    ::setenv(name, dir.c_str(), 1);
  }
  ::atexit(RemoveRunFolder);
  return tmpl;
}

void RemoveRunFolder() {
  std::error_code ec;
  std::filesystem::remove_all(RunFolder(), ec);
}

}  // namespace

const std::string& RunFolder() {
  // Never destroyed: the exit handler that removes the folder runs after
  // the destructors of statics made before it was registered.
  static const std::string* const folder = new std::string(MakeRunFolder());
  return *folder;
}

rtl::String Text(std::string_view bytes) {
  if (bytes.empty() || static_cast<unsigned char>(bytes[0]) != 0xFF) return rtl::Utf8ToString(bytes);
  rtl::String out;
  for (std::size_t i = 1; i + 1 < bytes.size(); i += 2)
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8));
  return out;
}

std::vector<std::string_view> Fields(const std::uint8_t* data, std::size_t size, char separator) {
  std::vector<std::string_view> out;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = all.find(separator, from);
    if (at == std::string_view::npos) {
      out.push_back(all.substr(from));
      return out;
    }
    out.push_back(all.substr(from, at - from));
    from = at + 1;
  }
}

std::string WriteRunFile(const std::string& name, std::string_view bytes) {
  const std::string path = (std::filesystem::path(RunFolder()) / name).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace fuzz

// The font library keeps its configuration for the process; it is freed at
// no exit, and is not ours to mend.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
