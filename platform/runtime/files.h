// Files and paths. Paths are program text (UTF-16) and reach the system as
// UTF-8. The path delimiter is '/'.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/datetime.h"
#include "platform/runtime/rtl_string.h"

namespace rtl {

inline constexpr char16_t PathDelim = u'/';

bool FileExists(const String& path);       // a file (not a directory)
bool DirectoryExists(const String& path);
// "a/b/c.txt" -> "a/b/"; "c.txt" -> "".
String ExtractFilePath(const String& path);
// "a/b/c.txt" -> "a/b"; "/c" -> "/".
String ExtractFileDir(const String& path);
String ExtractFileName(const String& path);
// ".txt", or "" when the name has no dot.
String ExtractFileExt(const String& path);
// Replaces (or adds) the extension; `ext` includes its dot, "" removes it.
String ChangeFileExt(const String& path, const String& ext);
String IncludeTrailingPathDelimiter(const String& path);
String ExcludeTrailingPathDelimiter(const String& path);
// Absolute path with "." and ".." resolved textually.
String ExpandFileName(const String& path);
// Creates the directory and its missing parents; false on failure (last
// error set).
bool ForceDirectories(const String& path);
String GetCurrentDir();
bool SetCurrentDir(const String& path);
bool DeleteFile(const String& path);
bool RenameFile(const String& from, const String& to);
// Last modification as local date-time; false when the file cannot be read.
bool FileAge(const String& path, TDateTime& when);

// The running program's file, its folder (with a trailing '/') and name.
String ProgramFileName();
String ProgramDir();

// Whole-file access. ReadFileBytes returns false (last error set) when the
// file cannot be read; LoadFileBytes raises EFOpenError instead. Only
// regular files are read: a FIFO, device or folder fails at once with 5
// (a FIFO without a writer would block the read for ever).
bool ReadFileBytes(const String& path, std::string& bytes);
std::string LoadFileBytes(const String& path);
// Writes to a temporary file in the same folder and renames it into place,
// so the old file stays whole until the new one is complete. The file keeps
// its permissions; new files get the usual ones (umask). An existing file
// that is read-only (no write permission bit, or not writable by this user)
// or not a regular file is refused, as the rename would replace it anyway.
// Raises EFCreateError "Cannot create file \"<path>\". <reason>" on failure;
// nothing changes then.
void AtomicWriteFile(const String& path, std::string_view bytes);

// An advisory lock (flock) held for one read-modify-write of a file that is
// replaced by a rename. The lock sits on `lockPath`, a folder (given with a
// trailing '/') or a lock file (created when missing), never on the file
// itself, whose inode changes with every save. Every holder opens its own descriptor, so the lock keeps
// threads of one process apart as well as processes. Waits at most
// `timeoutMs`: after that TimedOut() is true (last error 1460). A lock path
// that cannot be opened or locked (no permission, a file system without
// locks) leaves the lock not held without a time-out.
class TFileLock {
 public:
  static constexpr std::uint32_t kDefaultTimeoutMs = 10000;
  TFileLock(const String& lockPath, bool exclusive, std::uint32_t timeoutMs = kDefaultTimeoutMs);
  ~TFileLock();
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;
  bool Held() const { return fd_ >= 0; }
  bool TimedOut() const { return timedOut_; }

 private:
  int fd_ = -1;
  bool timedOut_ = false;
};

// The per-user configuration folder of the program (with trailing '/'):
// $XDG_CONFIG_HOME/JQHelper_LUNO/, default ~/.config/JQHelper_LUNO/.
// Created on demand when `create` is set.
String UserConfigDir(bool create = true);
// Where a file "beside the program" lives: the program's folder when it is
// writable, else the user configuration folder (created on demand).
String BesideProgram(const String& fileName);
// The same decision for a given program folder (tests, tools).
String BesideFolder(const String& programDir, const String& fileName);

}  // namespace rtl
