#include "platform/runtime/registry.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/files.h"
#include "platform/runtime/line_file.h"

namespace rtl {

namespace {

const char16_t kSerialCommPath[] = u"HARDWARE\\DEVICEMAP\\SERIALCOMM";

struct Value {
  String name;
  std::uint32_t type = REG_NONE;
  std::string data;
  bool bad = false;                // its line is there but its data does not read
  std::vector<std::size_t> lines;  // its line, then later lines of the same name
};

struct Key {
  String path;  // as created, parts joined by '\\'
  std::vector<Value> values;
  std::vector<std::size_t> headers;  // its "[path]" lines; none when only a subkey implies it
  std::size_t valuesEnd = 0;         // where a new value line goes
  std::map<String, std::size_t> byName;  // upper-cased value name -> index in values
};

// Keys by upper-cased path; the root key is "".
using Store = std::map<String, Key>;

const char* RootName(HKEY root) {
  switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    case HKEY_PERFORMANCE_DATA: return "HKEY_PERFORMANCE_DATA";
    case HKEY_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
    case HKEY_DYN_DATA: return "HKEY_DYN_DATA";
    default: return nullptr;
  }
}

String NormalizePath(const String& path) {
  String out;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find(u'\\', i);
    if (j == String::npos) j = path.size();
    if (j > i) {
      if (!out.empty()) out += u'\\';
      out.append(path, i, j - i);
    }
    i = j + 1;
  }
  return out;
}

String JoinPath(const String& a, const String& b) {
  const String nb = NormalizePath(b);
  if (a.empty()) return nb;
  if (nb.empty()) return a;
  return a + u'\\' + nb;
}

String ParentPath(const String& p) {
  const std::size_t s = p.rfind(u'\\');
  return s == String::npos ? String() : p.substr(0, s);
}

// --- file format ----------------------------------------------------------
// "[path]" lines start keys; value lines are "name=type:payload" with
// '%XX' escapes (UTF-8 bytes) for '%', '=', '[', ']', control characters,
// and '@', ';' or '#' at the start of a name. The unnamed value is written
// "@". Lines starting with ';' are comments. Changes rewrite only the lines
// they concern (TLineFile): comments, blank lines and lines this version does
// not understand stay as they are.

std::string Escape(const String& s, bool isName) {
  const std::string u = StringToUtf8(s);
  std::string out;
  for (std::size_t i = 0; i < u.size(); ++i) {
    const auto c = static_cast<unsigned char>(u[i]);
    if (c < 0x20 || c == '%' || c == '=' || c == '[' || c == ']' ||
        (isName && i == 0 && (c == '@' || c == ';' || c == '#'))) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

int Nibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

String Unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      const int hi = Nibble(s[i + 1]), lo = Nibble(s[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi << 4 | lo));
        i += 2;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return Utf8ToString(out);
}

// Names and texts are stored as UTF-8: a lone surrogate would not come back.
bool Storable(const String& s) { return Utf8ToString(StringToUtf8(s)) == s; }

std::string HexBytes(const std::string& d) {
  std::string out;
  char buf[3];
  for (unsigned char c : d) {
    std::snprintf(buf, sizeof buf, "%02x", c);
    out += buf;
  }
  return out;
}

bool ParseHex(std::string_view s, std::string& out) {
  if (s.size() % 2) return false;
  out.clear();
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const int hi = Nibble(s[i]), lo = Nibble(s[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<char>(hi << 4 | lo));
  }
  return true;
}

// Unsigned number of at most `maxDigits` digits in `base`, all of `s`.
bool ParseNumber(std::string_view s, int base, std::size_t maxDigits, std::uint32_t& out) {
  if (s.empty() || s.size() > maxDigits) return false;
  std::uint64_t v = 0;
  for (char c : s) {
    const int d = Nibble(c);
    if (d < 0 || d >= base) return false;
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
  }
  if (v > 0xFFFFFFFFu) return false;
  out = static_cast<std::uint32_t>(v);
  return true;
}

// UTF-16 data with its terminating NUL -> text, when it is exactly that.
bool DataAsText(const std::string& d, String& text) {
  if (d.size() < 2 || d.size() % 2 || d[d.size() - 1] != 0 || d[d.size() - 2] != 0) return false;
  text.clear();
  for (std::size_t i = 0; i + 2 < d.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(static_cast<unsigned char>(d[i]) | static_cast<unsigned char>(d[i + 1]) << 8);
    if (c == 0) return false;
    text.push_back(c);
  }
  // Only texts that survive UTF-8 are stored as text.
  return Storable(text);
}

std::string TextAsData(const String& text) {
  std::string d;
  for (char16_t c : text) {
    d.push_back(static_cast<char>(c & 0xFF));
    d.push_back(static_cast<char>(c >> 8));
  }
  d.push_back('\0');
  d.push_back('\0');
  return d;
}

std::string ValueLine(const Value& v) {
  std::string out = v.name.empty() ? std::string("@") : Escape(v.name, true);
  out += '=';
  String text;
  if ((v.type == REG_SZ || v.type == REG_EXPAND_SZ) && DataAsText(v.data, text)) {
    out += (v.type == REG_SZ ? "sz:" : "expand_sz:") + Escape(text, false);
  } else if (v.type == REG_DWORD && v.data.size() == 4) {
    std::uint32_t dw;
    std::memcpy(&dw, v.data.data(), 4);
    char buf[16];
    std::snprintf(buf, sizeof buf, "dword:%08x", dw);
    out += buf;
  } else {
    out += "hex(" + std::to_string(v.type) + "):" + HexBytes(v.data);
  }
  return out;
}

// "type:payload" -> type and data; false when it does not read.
bool ParseData(std::string_view rest, Value& v) {
  const std::size_t colon = rest.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view kind = rest.substr(0, colon), payload = rest.substr(colon + 1);
  if (kind == "sz" || kind == "expand_sz") {
    v.type = kind == "sz" ? REG_SZ : REG_EXPAND_SZ;
    v.data = TextAsData(Unescape(payload));
    return true;
  }
  if (kind == "dword") {
    std::uint32_t dw;
    if (!ParseNumber(payload, 16, 8, dw)) return false;
    v.type = REG_DWORD;
    v.data.assign(reinterpret_cast<const char*>(&dw), 4);
    return true;
  }
  if (kind.size() > 5 && kind.substr(0, 4) == "hex(" && kind.back() == ')')
    return ParseNumber(kind.substr(4, kind.size() - 5), 10, 10, v.type) && ParseHex(payload, v.data);
  return false;
}

Key& StoreKey(Store& store, const String& path) {
  Key& k = store[UpperCase(path)];
  if (k.path.empty()) k.path = path;
  return k;
}

Store Parse(const TLineFile& file) {
  Store store;
  store[String()] = Key{};
  Key* cur = nullptr;
  for (std::size_t i = 0; i < file.Count(); ++i) {
    std::string_view line = file.Bytes(i);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
      // Values after a header that does not read belong to no key.
      cur = nullptr;
      if (line.size() < 2 || line.back() != ']') continue;
      const String path = NormalizePath(Unescape(line.substr(1, line.size() - 2)));
      Key& k = StoreKey(store, path);
      k.headers.push_back(i);
      k.valuesEnd = i + 1;
      cur = &k;
      // Parents exist by construction.
      for (String p = ParentPath(path); !p.empty(); p = ParentPath(p)) StoreKey(store, p);
      continue;
    }
    if (!cur) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view rawName = line.substr(0, eq);
    Value v;
    v.name = rawName == "@" ? String() : Unescape(rawName);
    cur->valuesEnd = i + 1;
    const auto [it, added] = cur->byName.emplace(UpperCase(v.name), cur->values.size());
    if (!added) {
      cur->values[it->second].lines.push_back(i);
      continue;
    }
    v.bad = !ParseData(line.substr(eq + 1), v);
    v.lines.push_back(i);
    cur->values.push_back(std::move(v));
  }
  return store;
}

// --- store access ---------------------------------------------------------

std::mutex& StoreMutex() {
  static std::mutex m;
  return m;
}

// Called under the store mutex, for every call of the interface: the folder
// is named again only when the environment it comes from has changed.
String StoreFileName(HKEY root) {
  static std::string madeFrom;
  static String dir;
  static std::string sysDir;
  std::string from;
  for (const char* name : {"JQ_REGISTRY_DIR", "XDG_CONFIG_HOME", "HOME"}) {
    const char* v = ::getenv(name);
    from += v ? v : "";
    from += '\0';
  }
  if (dir.empty() || from != madeFrom) {
    dir = RegistryDirectory();
    sysDir = ToSysPath(dir);
    madeFrom = std::move(from);
  }
  struct stat st;
  if (::stat(sysDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) ForceDirectories(dir);
  return dir + Utf8ToString(RootName(root)) + u".reg";
}

bool SameLines(const TLineFile& a, const TLineFile& b) {
  if (a.Encoding() != b.Encoding() || a.Count() != b.Count()) return false;
  for (std::size_t i = 0; i < a.Count(); ++i)
    if (a.Bytes(i) != b.Bytes(i)) return false;
  return true;
}

// The last store of each root read for a query. Each call of the interface
// reads the file again (another process may have changed it), but a walk over
// a key's values would otherwise parse the same lines once per value.
struct ParsedStore {
  TLineFile lines{"\n"};
  std::shared_ptr<Store> store;
};
std::map<HKEY, ParsedStore>& ParsedStores() {
  static std::map<HKEY, ParsedStore> stores;
  return stores;
}

// The store of one root, read under the in-process mutex and the
// cross-process file lock, which are held until it is destroyed. A shared
// (query) store may be the one parsed before and must not be changed.
class StoreFile {
 public:
  StoreFile(HKEY root, bool exclusive)
      : guard_(StoreMutex()), root_(root), file_(StoreFileName(root)), lock_(file_ + u".lock", exclusive) {
    if (lock_.TimedOut()) {
      error_ = static_cast<LONG>(GetLastError());
    } else if (!lines_.Load(file_)) {
      error_ = static_cast<LONG>(GetLastError());
    } else if (lines_.Encoding() == TextEncoding::Utf16LE || lines_.Encoding() == TextEncoding::Utf16BE) {
      error_ = ERROR_INVALID_DATA;  // not a store this system wrote
    } else {
      fresh_ = lines_.Count() == 0;
      if (exclusive) {
        store_ = std::make_shared<Store>(Parse(lines_));
      } else {
        ParsedStore& last = ParsedStores()[root];
        if (!last.store || !SameLines(last.lines, lines_)) {
          last.lines = lines_;
          last.store = std::make_shared<Store>(Parse(lines_));
        }
        store_ = last.store;
      }
    }
    if (!store_) store_ = std::make_shared<Store>();
  }

  // 0 when the store was read. A store that could not be read is never
  // saved: the save would replace every key with this one change.
  LONG Error() const { return error_; }
  Store& Keys() { return *store_; }
  TLineFile& Lines() { return lines_; }

  LONG Save() {
    if (error_ != ERROR_SUCCESS) return error_;
    std::string bytes;
    if (!lines_.Join(bytes)) return ERROR_ACCESS_DENIED;
    if (fresh_) bytes = std::string("; registry store of ") + RootName(root_) + "\n" + bytes;
    try {
      AtomicWriteFile(file_, bytes);
      return ERROR_SUCCESS;
    } catch (const Exception&) {
      return ERROR_ACCESS_DENIED;
    }
  }

 private:
  std::lock_guard<std::mutex> guard_;
  HKEY root_;
  String file_;
  TFileLock lock_;
  TLineFile lines_{"\n"};
  std::shared_ptr<Store> store_;
  LONG error_ = ERROR_SUCCESS;
  bool fresh_ = false;  // no file yet: it starts with a comment naming the root
};

// --- changes --------------------------------------------------------------
// Each call makes one change and saves: line numbers found by Parse hold
// until the first line is inserted before or erased after them.

// The key, given a header line at the end of the file when it has none of
// its own (it may be implied by a subkey's header, or be a built-in key).
Key& EnsureKey(StoreFile& s, const String& path) {
  Key& k = StoreKey(s.Keys(), path);
  if (k.headers.empty()) {
    const std::size_t at = s.Lines().Count();
    s.Lines().Insert(at, "[" + Escape(path, false) + "]");
    k.headers.push_back(at);
    k.valuesEnd = at + 1;
  }
  return k;
}

void EraseLines(TLineFile& lines, std::vector<std::size_t> which) {
  std::sort(which.rbegin(), which.rend());
  for (std::size_t i : which) lines.Erase(i, i + 1);
}

Value* FindIn(Key& k, const String& name) {
  const auto it = k.byName.find(UpperCase(name));
  return it == k.byName.end() ? nullptr : &k.values[it->second];
}

void SetValue(StoreFile& s, const String& path, Value v) {
  Key& k = EnsureKey(s, path);
  const std::string line = ValueLine(v);
  if (Value* old = FindIn(k, v.name)) {
    s.Lines().Replace(old->lines[0], line);
    EraseLines(s.Lines(), std::vector<std::size_t>(old->lines.begin() + 1, old->lines.end()));
  } else {
    s.Lines().Insert(k.valuesEnd, line);
  }
}

void DeleteValues(StoreFile& s, Key& k, const String* name) {
  std::vector<std::size_t> which;
  for (const Value& v : k.values)
    if (!name || SameText(v.name, *name)) which.insert(which.end(), v.lines.begin(), v.lines.end());
  EraseLines(s.Lines(), std::move(which));
}

// Erases the key's sections: its headers and every line up to the next
// header. A parent that only this key implied is given a header, so it stays
// as it would in a registry.
void DeleteKeyLines(StoreFile& s, const String& path) {
  const String parent = ParentPath(path);
  if (!parent.empty()) EnsureKey(s, parent);
  TLineFile& lines = s.Lines();
  const std::vector<std::size_t> headers = StoreKey(s.Keys(), path).headers;
  for (auto h = headers.rbegin(); h != headers.rend(); ++h) {
    std::size_t end = *h + 1;
    while (end < lines.Count() && (lines.Bytes(end).empty() || lines.Bytes(end)[0] != '[')) ++end;
    lines.Erase(*h, end);
  }
}

struct OpenKey {
  HKEY root = 0;
  String path;
  std::uint32_t access = 0;
  bool serialComm = false;
  std::vector<Value> snapshot;  // SERIALCOMM values at open
};

struct HandleTable {
  std::mutex mutex;
  std::map<HKEY, OpenKey> keys;
  HKEY next = 0x1000;
};

HandleTable& Handles() {
  static HandleTable t;
  return t;
}

bool IsSerialComm(HKEY root, const String& path) {
  return root == HKEY_LOCAL_MACHINE && SameText(path, kSerialCommPath);
}

// SERIALCOMM and its parents exist whatever the store holds.
bool IsSerialCommAncestor(HKEY root, const String& path) {
  if (root != HKEY_LOCAL_MACHINE) return false;
  const String full = kSerialCommPath;
  return path.empty() || (StartsText(path, full) && (path.size() == full.size() || full[path.size()] == u'\\'));
}

// Resolves a handle to its root and path; false for an unknown handle.
bool Resolve(HKEY key, OpenKey& out) {
  if (RootName(key)) {
    out = OpenKey{key, String(), KEY_ALL_ACCESS, false, {}};
    return true;
  }
  auto& t = Handles();
  std::lock_guard<std::mutex> lock(t.mutex);
  const auto it = t.keys.find(key);
  if (it == t.keys.end()) return false;
  out = it->second;
  return true;
}

std::string ReadSmallFile(const std::string& path) {
  std::string bytes;
  ReadFileBytes(FromSysPath(path), bytes);
  return bytes;
}

std::vector<Value> SystemSerialPorts() {
  std::vector<std::string> names;
  if (DIR* d = ::opendir("/sys/class/tty")) {
    while (dirent* e = ::readdir(d)) {
      if (e->d_name[0] == '.') continue;
      const std::string base = std::string("/sys/class/tty/") + e->d_name;
      struct stat st;
      // Real ports have a driver behind their device.
      if (::stat((base + "/device/driver").c_str(), &st) != 0) continue;
      // Serial-core ports report their UART type; 0 is a placeholder slot
      // with no hardware behind it.
      const std::string type = ReadSmallFile(base + "/type");
      if (!type.empty() && std::strtol(type.c_str(), nullptr, 10) == 0) continue;
      names.emplace_back(e->d_name);
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  std::vector<Value> out;
  for (const auto& n : names)
    out.push_back(Value{Utf8ToString(n), REG_SZ, TextAsData(Utf8ToString("/dev/" + n)), false, {}});
  return out;
}

std::vector<Value> BuildSerialComm() {
  std::vector<Value> values = SystemSerialPorts();
  // The controller simulator started beside the program (scripts/run
  // --simulator) names its pty here, so the port list offers it for that run
  // only and nothing is written to the store. Only a device path counts.
  const char* simulator = ::getenv("JQSIM_SERIAL_PORT");
  if (simulator && simulator[0] == '/' && !std::strpbrk(simulator, "\r\n"))
    values.push_back(Value{u"jqsim", REG_SZ, TextAsData(Utf8ToString(simulator)), false, {}});
  // The system's ports are listed even when the store cannot be read.
  StoreFile s(HKEY_LOCAL_MACHINE, false);
  const auto it = s.Keys().find(UpperCase(kSerialCommPath));
  if (it != s.Keys().end()) {
    for (const auto& v : it->second.values) {
      const bool dup = std::any_of(values.begin(), values.end(), [&](const Value& x) { return SameText(x.name, v.name); });
      if (!dup && !v.bad) values.push_back(v);
    }
  }
  return values;
}

HKEY NewHandle(OpenKey key) {
  auto& t = Handles();
  std::lock_guard<std::mutex> lock(t.mutex);
  const HKEY h = t.next;
  t.next += 4;
  t.keys.emplace(h, std::move(key));
  return h;
}

const Value* FindValue(const std::vector<Value>& values, const String& name) {
  for (const auto& v : values)
    if (SameText(v.name, name)) return &v;
  return nullptr;
}

// Calls use(values, store) with the values of an open key, where they lie
// (the snapshot for SERIALCOMM, else the store's, read once for the call;
// store is null for SERIALCOMM), and returns what it returns.
template <class Use>
LONG WithValues(const OpenKey& k, Use use) {
  if (k.serialComm) return use(k.snapshot, static_cast<const Store*>(nullptr));
  StoreFile s(k.root, false);
  if (s.Error() != ERROR_SUCCESS) return s.Error();
  const Store& store = s.Keys();
  const auto it = store.find(UpperCase(k.path));
  if (it == store.end()) {
    if (IsSerialCommAncestor(k.root, k.path)) return use(std::vector<Value>(), &store);
    return ERROR_KEY_DELETED;
  }
  return use(it->second.values, &store);
}

LONG CopyOut(const std::string& src, std::uint8_t* data, std::uint32_t* dataSize) {
  if (!dataSize) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  const auto need = static_cast<std::uint32_t>(src.size());
  if (data && *dataSize < need) {
    *dataSize = need;
    return ERROR_MORE_DATA;
  }
  if (data) std::memcpy(data, src.data(), src.size());
  *dataSize = need;
  return ERROR_SUCCESS;
}

LONG CopyName(const String& src, char16_t* name, std::uint32_t* nameChars) {
  if (!name || !nameChars) return ERROR_INVALID_PARAMETER;
  if (*nameChars < src.size() + 1) return ERROR_MORE_DATA;
  std::copy(src.begin(), src.end(), name);
  name[src.size()] = 0;
  *nameChars = static_cast<std::uint32_t>(src.size());
  return ERROR_SUCCESS;
}

// Direct subkeys, sorted without regard to case.
std::vector<String> SubKeys(const Store& store, HKEY root, const String& path) {
  std::vector<String> out;
  const String prefix = path.empty() ? String() : UpperCase(path) + u'\\';
  for (const auto& [upper, key] : store) {
    if (upper.empty() || upper.size() <= prefix.size() || upper.compare(0, prefix.size(), prefix) != 0) continue;
    if (upper.find(u'\\', prefix.size()) != String::npos) continue;
    out.push_back(key.path.substr(key.path.size() - (upper.size() - prefix.size())));
  }
  // The built-in chain down to SERIALCOMM.
  if (IsSerialCommAncestor(root, path) && !SameText(path, kSerialCommPath)) {
    const String full = kSerialCommPath;
    const std::size_t start = path.empty() ? 0 : path.size() + 1;
    const std::size_t end = full.find(u'\\', start);
    const String child = full.substr(start, end == String::npos ? String::npos : end - start);
    if (std::none_of(out.begin(), out.end(), [&](const String& s) { return SameText(s, child); })) out.push_back(child);
  }
  std::sort(out.begin(), out.end(), [](const String& a, const String& b) { return CompareText(a, b) < 0; });
  return out;
}

}  // namespace

String RegistryDirectory() {
  const char* env = ::getenv("JQ_REGISTRY_DIR");
  if (env && *env) return IncludeTrailingPathDelimiter(FromSysPath(env));
  return UserConfigDir(false) + u"registry/";
}

LONG RegOpenKeyEx(HKEY key, const String& subKey, std::uint32_t, std::uint32_t samDesired, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  OpenKey parent;
  if (!Resolve(key, parent)) return ERROR_INVALID_HANDLE;
  const String path = JoinPath(parent.path, subKey);
  OpenKey k{parent.root, path, samDesired, false, {}};
  if (IsSerialComm(parent.root, path)) {
    k.serialComm = true;
    k.snapshot = BuildSerialComm();
  } else if (!IsSerialCommAncestor(parent.root, path)) {
    StoreFile s(parent.root, false);
    if (s.Error() != ERROR_SUCCESS) return s.Error();
    const auto it = s.Keys().find(UpperCase(path));
    if (it == s.Keys().end()) return ERROR_FILE_NOT_FOUND;
    k.path = it->second.path.empty() ? path : it->second.path;
  }
  *result = NewHandle(std::move(k));
  return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, const String& subKey, std::uint32_t samDesired, HKEY* result,
                    std::uint32_t* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  OpenKey parent;
  if (!Resolve(key, parent)) return ERROR_INVALID_HANDLE;
  const String path = JoinPath(parent.path, subKey);
  if (!Storable(path)) return ERROR_INVALID_PARAMETER;
  if (IsSerialCommAncestor(parent.root, path)) {
    if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
    return RegOpenKeyEx(key, subKey, 0, samDesired, result);
  }
  if (!(parent.access & KEY_CREATE_SUB_KEY)) {
    // Opening an existing key needs no create right.
    HKEY h;
    if (RegOpenKeyEx(key, subKey, 0, samDesired, &h) == ERROR_SUCCESS) {
      if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
      *result = h;
      return ERROR_SUCCESS;
    }
    return ERROR_ACCESS_DENIED;
  }
  String stored = path;
  bool created = false;
  {
    StoreFile s(parent.root, true);
    if (s.Error() != ERROR_SUCCESS) return s.Error();
    const auto it = s.Keys().find(UpperCase(path));
    if (it != s.Keys().end()) {
      stored = it->second.path.empty() ? path : it->second.path;
    } else {
      EnsureKey(s, path);
      if (const LONG rc = s.Save(); rc != ERROR_SUCCESS) return rc;
      created = true;
    }
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(OpenKey{parent.root, stored, samDesired, false, {}});
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (RootName(key)) return ERROR_SUCCESS;
  auto& t = Handles();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.keys.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueEx(HKEY key, const String& valueName, std::uint32_t* type, std::uint8_t* data,
                     std::uint32_t* dataSize) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (!(k.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  return WithValues(k, [&](const std::vector<Value>& values, const Store*) {
    const Value* v = FindValue(values, valueName);
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (v->bad) return ERROR_INVALID_DATA;
    if (type) *type = v->type;
    return CopyOut(v->data, data, dataSize);
  });
}

LONG RegSetValueEx(HKEY key, const String& valueName, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t dataSize) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (k.serialComm || !(k.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if ((!data && dataSize) || !Storable(valueName)) return ERROR_INVALID_PARAMETER;
  StoreFile s(k.root, true);
  if (s.Error() != ERROR_SUCCESS) return s.Error();
  if (s.Keys().count(UpperCase(k.path)) == 0 && !IsSerialCommAncestor(k.root, k.path)) return ERROR_KEY_DELETED;
  std::string bytes(reinterpret_cast<const char*>(data), dataSize);
  // Texts are kept with their terminating NUL, as readers expect one.
  if ((type == REG_SZ || type == REG_EXPAND_SZ) &&
      (bytes.size() < 2 || bytes.size() % 2 || bytes[bytes.size() - 1] || bytes[bytes.size() - 2])) {
    if (bytes.size() % 2) bytes.pop_back();
    bytes.append(2, '\0');
  }
  SetValue(s, k.path, Value{valueName, type, std::move(bytes), false, {}});
  return s.Save();
}

LONG RegDeleteValue(HKEY key, const String& valueName) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (k.serialComm || !(k.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  StoreFile s(k.root, true);
  if (s.Error() != ERROR_SUCCESS) return s.Error();
  const auto it = s.Keys().find(UpperCase(k.path));
  if (it == s.Keys().end() || !FindIn(it->second, valueName)) return ERROR_FILE_NOT_FOUND;
  DeleteValues(s, it->second, &valueName);
  return s.Save();
}

LONG RegDeleteKey(HKEY key, const String& subKey) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  const String path = JoinPath(k.path, subKey);
  if (path.empty() || IsSerialCommAncestor(k.root, path)) return ERROR_ACCESS_DENIED;
  StoreFile s(k.root, true);
  if (s.Error() != ERROR_SUCCESS) return s.Error();
  if (s.Keys().count(UpperCase(path)) == 0) return ERROR_FILE_NOT_FOUND;
  if (!SubKeys(s.Keys(), k.root, path).empty()) return ERROR_ACCESS_DENIED;
  DeleteKeyLines(s, path);
  return s.Save();
}

LONG RegEnumKeyEx(HKEY key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (!(k.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  std::vector<String> subs;
  if (!k.serialComm) {
    StoreFile s(k.root, false);
    if (s.Error() != ERROR_SUCCESS) return s.Error();
    subs = SubKeys(s.Keys(), k.root, k.path);
  }
  if (index >= subs.size()) return ERROR_NO_MORE_ITEMS;
  return CopyName(subs[index], name, nameChars);
}

LONG RegEnumValue(HKEY key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* dataSize) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (!(k.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  return WithValues(k, [&](const std::vector<Value>& values, const Store*) {
    if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& v = values[index];
    if (const LONG rc = CopyName(v.name, name, nameChars); rc != ERROR_SUCCESS) return rc;
    if (v.bad) return ERROR_INVALID_DATA;
    if (type) *type = v.type;
    return CopyOut(v.data, data, dataSize);
  });
}

LONG RegQueryInfoKey(HKEY key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen, std::uint32_t* values,
                     std::uint32_t* maxValueNameLen, std::uint32_t* maxValueLen) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  // Values and subkeys from one reading of the store.
  return WithValues(k, [&](const std::vector<Value>& vals, const Store* store) {
    std::vector<String> subs;
    if (store) subs = SubKeys(*store, k.root, k.path);
    std::uint32_t maxSub = 0, maxName = 0, maxData = 0;
    for (const auto& s : subs) maxSub = std::max<std::uint32_t>(maxSub, static_cast<std::uint32_t>(s.size()));
    for (const auto& v : vals) {
      maxName = std::max<std::uint32_t>(maxName, static_cast<std::uint32_t>(v.name.size()));
      maxData = std::max<std::uint32_t>(maxData, static_cast<std::uint32_t>(v.data.size()));
    }
    if (subKeys) *subKeys = static_cast<std::uint32_t>(subs.size());
    if (maxSubKeyLen) *maxSubKeyLen = maxSub;
    if (values) *values = static_cast<std::uint32_t>(vals.size());
    if (maxValueNameLen) *maxValueNameLen = maxName;
    if (maxValueLen) *maxValueLen = maxData;
    return ERROR_SUCCESS;
  });
}

void RegistryTestAddSerialPort(const String& valueName, const String& devicePath) {
  StoreFile s(HKEY_LOCAL_MACHINE, true);
  if (s.Error() != ERROR_SUCCESS) return;
  SetValue(s, kSerialCommPath, Value{valueName, REG_SZ, TextAsData(devicePath), false, {}});
  s.Save();
}

void RegistryTestClearSerialPorts() {
  StoreFile s(HKEY_LOCAL_MACHINE, true);
  const auto it = s.Keys().find(UpperCase(kSerialCommPath));
  if (s.Error() != ERROR_SUCCESS || it == s.Keys().end() || it->second.values.empty()) return;
  DeleteValues(s, it->second, nullptr);
  s.Save();
}

std::size_t RegistryTestOpenKeyCount() {
  auto& t = Handles();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.keys.size();
}

}  // namespace rtl
