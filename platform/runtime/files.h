// Files and paths. Paths are program text (UTF-16) and reach the system as
// UTF-8. The path delimiter is '/'.
#pragma once

#include <cstdint>
#include <string>

#include "datetime.h"
#include "rtl_string.h"

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
// file cannot be read; LoadFileBytes raises EFOpenError instead.
bool ReadFileBytes(const String& path, std::string& bytes);
std::string LoadFileBytes(const String& path);
// Writes to a temporary file in the same folder and renames it into place,
// so the old file stays whole until the new one is complete. The file keeps
// its permissions; new files get the usual ones (umask). Raises EFCreateError
// "Cannot create file \"<path>\". <reason>" on failure; nothing changes then.
void AtomicWriteFile(const String& path, std::string_view bytes);

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
