#include "platform/runtime/files.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/runtime/exceptions.h"

namespace rtl {

namespace {

std::string Sys(const String& p) { return ToSysPath(p); }

std::size_t LastDelim(const String& path) { return path.rfind(PathDelim); }

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

[[noreturn]] void RaiseCreate(const String& path, int err) {
  const std::uint32_t code = WinErrorFromErrno(err);
  SetLastError(code);
  throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {path, SysErrorMessage(code)}));
}

}  // namespace

bool FileExists(const String& path) {
  struct stat st;
  return !path.empty() && ::stat(Sys(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const String& path) {
  struct stat st;
  return !path.empty() && ::stat(Sys(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

String ExtractFilePath(const String& path) {
  const std::size_t p = LastDelim(path);
  return p == String::npos ? String() : path.substr(0, p + 1);
}

String ExtractFileDir(const String& path) {
  const std::size_t p = LastDelim(path);
  if (p == String::npos) return String();
  return p == 0 ? String(u"/") : path.substr(0, p);
}

String ExtractFileName(const String& path) {
  const std::size_t p = LastDelim(path);
  return p == String::npos ? path : path.substr(p + 1);
}

String ExtractFileExt(const String& path) {
  const std::size_t slash = LastDelim(path);
  const std::size_t dot = path.rfind(u'.');
  if (dot == String::npos || (slash != String::npos && dot < slash)) return String();
  return path.substr(dot);
}

String ChangeFileExt(const String& path, const String& ext) {
  const std::size_t slash = LastDelim(path);
  const std::size_t dot = path.rfind(u'.');
  if (dot == String::npos || (slash != String::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

String IncludeTrailingPathDelimiter(const String& path) {
  return (!path.empty() && path.back() == PathDelim) ? path : path + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& path) {
  String r = path;
  while (r.size() > 1 && r.back() == PathDelim) r.pop_back();
  return r;
}

String ExpandFileName(const String& path) {
  String full = (!path.empty() && path[0] == PathDelim) ? path : IncludeTrailingPathDelimiter(GetCurrentDir()) + path;
  std::vector<String> parts;
  std::size_t i = 0;
  while (i <= full.size()) {
    std::size_t j = full.find(PathDelim, i);
    if (j == String::npos) j = full.size();
    const String part = full.substr(i, j - i);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  String out;
  for (const auto& p : parts) out += PathDelim + p;
  if (out.empty()) out.push_back(PathDelim);
  if (!path.empty() && path.back() == PathDelim && out.back() != PathDelim) out += PathDelim;
  return out;
}

bool ForceDirectories(const String& path) {
  const String dir = ExcludeTrailingPathDelimiter(ExpandFileName(path));
  if (DirectoryExists(dir)) return true;
  const String parent = ExtractFileDir(dir);
  if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
  if (::mkdir(Sys(dir).c_str(), 0777) != 0 && errno != EEXIST) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

String GetCurrentDir() {
  std::vector<char> buf(4096);
  for (;;) {
    if (::getcwd(buf.data(), buf.size())) return FromSysPath(buf.data());
    if (errno != ERANGE) return String();
    buf.resize(buf.size() * 2);
  }
}

bool SetCurrentDir(const String& path) {
  if (::chdir(Sys(path).c_str()) == 0) return true;
  SetLastErrorFromErrno();
  return false;
}

bool DeleteFile(const String& path) {
  if (::unlink(Sys(path).c_str()) == 0) return true;
  SetLastErrorFromErrno();
  return false;
}

bool RenameFile(const String& from, const String& to) {
  if (::rename(Sys(from).c_str(), Sys(to).c_str()) == 0) return true;
  SetLastErrorFromErrno();
  return false;
}

bool FileAge(const String& path, TDateTime& when) {
  struct stat st;
  if (::stat(Sys(path).c_str(), &st) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  when = UnixToLocalDateTime(st.st_mtim.tv_sec, static_cast<std::int32_t>(st.st_mtim.tv_nsec));
  return true;
}

String ProgramFileName() {
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return String();
  return FromSysPath(std::string_view(buf.data(), static_cast<std::size_t>(n)));
}

String ProgramDir() { return ExtractFilePath(ProgramFileName()); }

bool ReadFileBytes(const String& path, std::string& bytes) {
  // Opening without blocking: a FIFO would otherwise wait here for a writer.
  const int fd = ::open(Sys(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetLastErrorFromErrno();
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    SetLastError(WinErrorFromErrno(EACCES));
    return false;
  }
  // Read straight into the string, sized by the file (which may still grow).
  std::string out(static_cast<std::size_t>(st.st_size) + 1, '\0');
  std::size_t done = 0;
  for (;;) {
    if (done == out.size()) out.resize(out.size() * 2);
    const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno();
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  out.resize(done);
  ::close(fd);
  bytes = std::move(out);
  return true;
}

std::string LoadFileBytes(const String& path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes))
    throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {path, SysErrorMessage(GetLastError())}));
  return bytes;
}

void AtomicWriteFile(const String& path, std::string_view bytes) {
  std::string target = Sys(path);
  struct stat st;
  bool exists = false;
  if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // Replace the file the link points to, not the link.
    if (char* real = ::realpath(target.c_str(), nullptr)) {
      target = real;
      ::free(real);
    }
  }
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) RaiseCreate(path, EISDIR);
    // The rename would replace what the user protected or what is not a
    // file at all (a FIFO, a device); root passes access(), hence the bits.
    if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
      RaiseCreate(path, EACCES);
    exists = true;
  }
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

  static std::atomic<unsigned> counter{0};
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    tmp = dir + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1)) +
          "." + std::to_string(stamp % 100000) + ".tmp";
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) RaiseCreate(path, errno);
  }
  if (fd < 0) RaiseCreate(path, EEXIST);
  if (exists) (void)::fchmod(fd, st.st_mode & 07777);
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    const int err = errno;
    ::close(fd);
    ::unlink(tmp.c_str());
    RaiseCreate(path, err);
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    RaiseCreate(path, err);
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    RaiseCreate(path, err);
  }
}

TFileLock::TFileLock(const String& lockPath, bool exclusive, std::uint32_t timeoutMs) {
  const std::string p = Sys(lockPath);
  const bool folder = !p.empty() && p.back() == '/';
  fd_ = folder ? ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
               : ::open(p.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd_ < 0) return;
  // flock has no time-out of its own: poll, briefly at first.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  auto pause = std::chrono::microseconds(100);
  while (::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EINTR) continue;
    if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      timedOut_ = err == EWOULDBLOCK;
      if (timedOut_) SetLastError(WinErrorFromErrno(ETIMEDOUT));
      ::close(fd_);
      fd_ = -1;
      return;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(5000));
  }
}

TFileLock::~TFileLock() {
  if (fd_ >= 0) ::close(fd_);
}

String UserConfigDir(bool create) {
  String base;
  const char* xdg = ::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') {
    base = FromSysPath(xdg);
  } else {
    const char* home = ::getenv("HOME");
    base = FromSysPath(home && *home ? home : "/tmp");
    base = IncludeTrailingPathDelimiter(base) + u".config";
  }
  const String dir = IncludeTrailingPathDelimiter(base) + u"JQHelper_LUNO/";
  if (create) ForceDirectories(dir);
  return dir;
}

String BesideFolder(const String& programDir, const String& fileName) {
  if (!programDir.empty() && DirectoryExists(programDir) &&
      ::access(Sys(programDir).c_str(), W_OK | X_OK) == 0)
    return IncludeTrailingPathDelimiter(programDir) + fileName;
  return UserConfigDir(true) + fileName;
}

String BesideProgram(const String& fileName) { return BesideFolder(ProgramDir(), fileName); }

}  // namespace rtl
