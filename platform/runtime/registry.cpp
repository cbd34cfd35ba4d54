#include "registry.h"

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
#include <mutex>
#include <vector>

#include "exceptions.h"
#include "files.h"

namespace rtl {

namespace {

const char16_t kSerialCommPath[] = u"HARDWARE\\DEVICEMAP\\SERIALCOMM";

struct Value {
  String name;
  std::uint32_t type = REG_NONE;
  std::string data;
};

struct Key {
  String path;  // as created, parts joined by '\'
  std::vector<Value> values;
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
// '%XX' escapes (UTF-8 bytes) for '%', '=', '[', ']', '@' at the start, and
// control characters. The unnamed value is written "@".

std::string Escape(const String& s, bool isName) {
  const std::string u = StringToUtf8(s);
  std::string out;
  for (std::size_t i = 0; i < u.size(); ++i) {
    const auto c = static_cast<unsigned char>(u[i]);
    if (c < 0x20 || c == '%' || c == '=' || c == '[' || c == ']' || (isName && i == 0 && c == '@')) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

String Unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      const std::string hex(s.substr(i + 1, 2));
      char* end = nullptr;
      const long v = std::strtol(hex.c_str(), &end, 16);
      if (end && *end == '\0') {
        out.push_back(static_cast<char>(v));
        i += 2;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return Utf8ToString(out);
}

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
    const std::string h(s.substr(i, 2));
    char* end = nullptr;
    const long v = std::strtol(h.c_str(), &end, 16);
    if (!end || *end) return false;
    out.push_back(static_cast<char>(v));
  }
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
  return Utf8ToString(StringToUtf8(text)) == text;
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

std::string Serialize(const Store& store, const char* rootName) {
  std::string out = std::string("; registry store of ") + rootName + "\n";
  for (const auto& [upper, key] : store) {
    if (upper.empty() && key.values.empty()) continue;
    out += "[" + Escape(key.path, false) + "]\n";
    for (const auto& v : key.values) {
      out += v.name.empty() ? std::string("@") : Escape(v.name, true);
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
      out += '\n';
    }
  }
  return out;
}

Store Parse(const std::string& text) {
  Store store;
  store[String()] = Key{};
  Key* cur = nullptr;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = text.find('\n', i);
    if (j == std::string::npos) j = text.size();
    std::string_view line(text.data() + i, j - i);
    i = j + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']') {
      const String path = NormalizePath(Unescape(line.substr(1, line.size() - 2)));
      Key& k = store[UpperCase(path)];
      if (k.path.empty()) k.path = path;
      cur = &k;
      // Parents exist by construction.
      for (String p = ParentPath(path); !p.empty(); p = ParentPath(p)) {
        Key& pk = store[UpperCase(p)];
        if (pk.path.empty()) pk.path = p;
      }
      continue;
    }
    if (!cur) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string_view rawName = line.substr(0, eq);
    const std::string_view rest = line.substr(eq + 1);
    Value v;
    v.name = rawName == "@" ? String() : Unescape(rawName);
    const std::size_t colon = rest.find(':');
    if (colon == std::string::npos) continue;
    const std::string_view kind = rest.substr(0, colon), payload = rest.substr(colon + 1);
    if (kind == "sz" || kind == "expand_sz") {
      v.type = kind == "sz" ? REG_SZ : REG_EXPAND_SZ;
      v.data = TextAsData(Unescape(payload));
    } else if (kind == "dword") {
      const std::uint32_t dw = static_cast<std::uint32_t>(std::strtoul(std::string(payload).c_str(), nullptr, 16));
      v.type = REG_DWORD;
      v.data.assign(reinterpret_cast<const char*>(&dw), 4);
    } else if (kind.size() > 5 && kind.substr(0, 4) == "hex(" && kind.back() == ')') {
      v.type = static_cast<std::uint32_t>(std::strtoul(std::string(kind.substr(4, kind.size() - 5)).c_str(), nullptr, 10));
      if (!ParseHex(payload, v.data)) continue;
    } else {
      continue;
    }
    cur->values.push_back(std::move(v));
  }
  return store;
}

// --- store access ---------------------------------------------------------

std::mutex& StoreMutex() {
  static std::mutex m;
  return m;
}

// Holds the in-process mutex and the cross-process file lock of one root.
class StoreLock {
 public:
  StoreLock(HKEY root, bool exclusive) : guard_(StoreMutex()) {
    const String dir = RegistryDirectory();
    ForceDirectories(dir);
    file_ = ToSysPath(dir + Utf8ToString(RootName(root)) + u".reg");
    const std::string lockName = file_ + ".lock";
    fd_ = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      while (::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
      }
    }
  }
  ~StoreLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  Store Load() {
    std::string bytes;
    if (!ReadFileBytes(FromSysPath(file_), bytes)) {
      bytes.clear();
      const std::uint32_t err = GetLastError();
      unreadable_ = err != ERROR_FILE_NOT_FOUND && err != 3;  // 3: path not found
    }
    return Parse(bytes);
  }
  bool Save(const Store& store, HKEY root) const {
    // What was read stands for the whole file only when the file could be
    // read: otherwise saving would replace every key with this one change.
    if (unreadable_) return false;
    try {
      AtomicWriteFile(FromSysPath(file_), Serialize(store, RootName(root)));
      return true;
    } catch (const Exception&) {
      return false;
    }
  }

 private:
  std::lock_guard<std::mutex> guard_;
  std::string file_;
  int fd_ = -1;
  bool unreadable_ = false;
};

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
    out.push_back(Value{Utf8ToString(n), REG_SZ, TextAsData(Utf8ToString("/dev/" + n))});
  return out;
}

std::vector<Value> BuildSerialComm() {
  std::vector<Value> values = SystemSerialPorts();
  StoreLock lock(HKEY_LOCAL_MACHINE, false);
  const Store store = lock.Load();
  const auto it = store.find(UpperCase(kSerialCommPath));
  if (it != store.end()) {
    for (const auto& v : it->second.values) {
      const bool dup = std::any_of(values.begin(), values.end(), [&](const Value& x) { return SameText(x.name, v.name); });
      if (!dup) values.push_back(v);
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

// Values of an open key: the snapshot for SERIALCOMM, else the store's.
LONG ReadValues(const OpenKey& k, std::vector<Value>& values) {
  if (k.serialComm) {
    values = k.snapshot;
    return ERROR_SUCCESS;
  }
  StoreLock lock(k.root, false);
  const Store store = lock.Load();
  const auto it = store.find(UpperCase(k.path));
  if (it == store.end()) {
    if (IsSerialCommAncestor(k.root, k.path)) {
      values.clear();
      return ERROR_SUCCESS;
    }
    return ERROR_KEY_DELETED;
  }
  values = it->second.values;
  return ERROR_SUCCESS;
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
    StoreLock lock(parent.root, false);
    const Store store = lock.Load();
    const auto it = store.find(UpperCase(path));
    if (it == store.end()) return ERROR_FILE_NOT_FOUND;
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
    StoreLock lock(parent.root, true);
    Store store = lock.Load();
    const auto it = store.find(UpperCase(path));
    if (it != store.end()) {
      stored = it->second.path.empty() ? path : it->second.path;
    } else {
      for (String p = path; !p.empty(); p = ParentPath(p)) {
        Key& k = store[UpperCase(p)];
        if (k.path.empty()) k.path = p;
      }
      if (!lock.Save(store, parent.root)) return ERROR_ACCESS_DENIED;
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
  std::vector<Value> values;
  if (const LONG rc = ReadValues(k, values); rc != ERROR_SUCCESS) return rc;
  const Value* v = FindValue(values, valueName);
  if (!v) return ERROR_FILE_NOT_FOUND;
  if (type) *type = v->type;
  return CopyOut(v->data, data, dataSize);
}

LONG RegSetValueEx(HKEY key, const String& valueName, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t dataSize) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (k.serialComm || !(k.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  StoreLock lock(k.root, true);
  Store store = lock.Load();
  auto it = store.find(UpperCase(k.path));
  if (it == store.end()) {
    if (!IsSerialCommAncestor(k.root, k.path)) return ERROR_KEY_DELETED;
    it = store.emplace(UpperCase(k.path), Key{k.path, {}}).first;
  }
  std::string bytes(reinterpret_cast<const char*>(data), dataSize);
  // Texts are kept with their terminating NUL, as readers expect one.
  if ((type == REG_SZ || type == REG_EXPAND_SZ) &&
      (bytes.size() < 2 || bytes.size() % 2 || bytes[bytes.size() - 1] || bytes[bytes.size() - 2])) {
    if (bytes.size() % 2) bytes.pop_back();
    bytes.append(2, '\0');
  }
  auto& values = it->second.values;
  auto v = std::find_if(values.begin(), values.end(), [&](const Value& x) { return SameText(x.name, valueName); });
  if (v == values.end()) values.push_back(Value{valueName, type, bytes});
  else v->type = type, v->data = bytes;
  return lock.Save(store, k.root) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegDeleteValue(HKEY key, const String& valueName) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (k.serialComm || !(k.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  StoreLock lock(k.root, true);
  Store store = lock.Load();
  const auto it = store.find(UpperCase(k.path));
  if (it == store.end()) return ERROR_FILE_NOT_FOUND;
  auto& values = it->second.values;
  const auto v = std::find_if(values.begin(), values.end(), [&](const Value& x) { return SameText(x.name, valueName); });
  if (v == values.end()) return ERROR_FILE_NOT_FOUND;
  values.erase(v);
  return lock.Save(store, k.root) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegDeleteKey(HKEY key, const String& subKey) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  const String path = JoinPath(k.path, subKey);
  if (path.empty() || IsSerialCommAncestor(k.root, path)) return ERROR_ACCESS_DENIED;
  StoreLock lock(k.root, true);
  Store store = lock.Load();
  const auto it = store.find(UpperCase(path));
  if (it == store.end()) return ERROR_FILE_NOT_FOUND;
  if (!SubKeys(store, k.root, path).empty()) return ERROR_ACCESS_DENIED;
  store.erase(it);
  return lock.Save(store, k.root) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegEnumKeyEx(HKEY key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (!(k.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  std::vector<String> subs;
  if (!k.serialComm) {
    StoreLock lock(k.root, false);
    subs = SubKeys(lock.Load(), k.root, k.path);
  }
  if (index >= subs.size()) return ERROR_NO_MORE_ITEMS;
  return CopyName(subs[index], name, nameChars);
}

LONG RegEnumValue(HKEY key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* dataSize) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  if (!(k.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::vector<Value> values;
  if (const LONG rc = ReadValues(k, values); rc != ERROR_SUCCESS) return rc;
  if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& v = values[index];
  if (const LONG rc = CopyName(v.name, name, nameChars); rc != ERROR_SUCCESS) return rc;
  if (type) *type = v.type;
  return CopyOut(v.data, data, dataSize);
}

LONG RegQueryInfoKey(HKEY key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen, std::uint32_t* values,
                     std::uint32_t* maxValueNameLen, std::uint32_t* maxValueLen) {
  OpenKey k;
  if (!Resolve(key, k)) return ERROR_INVALID_HANDLE;
  std::vector<Value> vals;
  if (const LONG rc = ReadValues(k, vals); rc != ERROR_SUCCESS) return rc;
  std::vector<String> subs;
  if (!k.serialComm) {
    StoreLock lock(k.root, false);
    subs = SubKeys(lock.Load(), k.root, k.path);
  }
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
}

void RegistryTestAddSerialPort(const String& valueName, const String& devicePath) {
  StoreLock lock(HKEY_LOCAL_MACHINE, true);
  Store store = lock.Load();
  const String path = kSerialCommPath;
  for (String p = path; !p.empty(); p = ParentPath(p)) {
    Key& k = store[UpperCase(p)];
    if (k.path.empty()) k.path = p;
  }
  auto& values = store[UpperCase(path)].values;
  values.erase(std::remove_if(values.begin(), values.end(), [&](const Value& v) { return SameText(v.name, valueName); }),
               values.end());
  values.push_back(Value{valueName, REG_SZ, TextAsData(devicePath)});
  lock.Save(store, HKEY_LOCAL_MACHINE);
}

void RegistryTestClearSerialPorts() {
  StoreLock lock(HKEY_LOCAL_MACHINE, true);
  Store store = lock.Load();
  const auto it = store.find(UpperCase(kSerialCommPath));
  if (it == store.end()) return;
  it->second.values.clear();
  lock.Save(store, HKEY_LOCAL_MACHINE);
}

}  // namespace rtl
