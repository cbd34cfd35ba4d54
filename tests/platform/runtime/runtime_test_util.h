// Helpers shared by the runtime tests.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/runtime/files.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"

namespace rtl_test {

// Comma decimals, dot thousands, day-first dates with dots: the settings
// farthest from the invariant ones.
inline rtl::TFormatSettings Comma() {
  rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  fs.DecimalSeparator = u',';
  fs.ThousandSeparator = u'.';
  fs.DateSeparator = u'.';
  fs.ShortDateFormat = u"dd/mm/yyyy";
  return fs;
}

// A fresh folder removed with its content at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "jq_rt_XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  rtl::String File(const std::string& name) const { return rtl::Utf8ToString(path_ + "/" + name); }

 private:
  std::string path_;
};

inline std::string Bytes(const rtl::String& file) {
  std::string b;
  rtl::ReadFileBytes(file, b);
  return b;
}

// Runs Fn in a child process for which `file` (in `dir`) exists but cannot
// be read, while the folder stays writable; as root the child drops to an
// unprivileged user owning both. Returns Fn's result, -1 when the child
// could not run it.
inline int RunWithUnreadableFile(const std::string& dir, const std::string& file, const std::function<int()>& Fn) {
  const bool root = ::geteuid() == 0;
  constexpr uid_t kNobody = 65534;
  if (root && (::chown(dir.c_str(), kNobody, kNobody) != 0 || ::chown(file.c_str(), kNobody, kNobody) != 0)) return -1;
  if (::chmod(file.c_str(), 0200) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(255);
    ::_exit(Fn() & 0xFF);
  }
  int status = 0;
  const bool ran = pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) != 255;
  ::chmod(file.c_str(), 0600);
  if (root) {
    (void)::chown(file.c_str(), 0, 0);
    (void)::chown(dir.c_str(), 0, 0);
  }
  return ran ? WEXITSTATUS(status) : -1;
}

// How a hostile test file is put in place.
enum class FileKind { Regular, ReadOnly, Fifo, Folder };

inline void PlaceFile(const std::string& path, const std::string& bytes, FileKind kind) {
  switch (kind) {
    case FileKind::Fifo: ::mkfifo(path.c_str(), 0666); return;
    case FileKind::Folder: ::mkdir(path.c_str(), 0777); return;
    default: break;
  }
  rtl::AtomicWriteFile(rtl::Utf8ToString(path), bytes);
  if (kind == FileKind::ReadOnly) ::chmod(path.c_str(), 0444);
}

// What a path holds: its kind, mode and bytes, to tell "unchanged".
inline std::string Snapshot(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return "<missing>";
  std::string out = std::to_string(st.st_mode) + ":";
  if (S_ISREG(st.st_mode)) out += Bytes(rtl::Utf8ToString(path));
  return out;
}

// UTF-16LE bytes of a text, for files written in that encoding.
inline std::string Utf16Le(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}

}  // namespace rtl_test
