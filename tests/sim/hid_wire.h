// What jqsim-cli's HID socket and the preloaded hidapi stand-in
// (libjqsim_hid_client.so) say to each other. The socket is a Unix
// SOCK_SEQPACKET one, so every message keeps its bounds: a connection starts
// with one question, "ENUM" (the answer is one device description per message,
// then the end of the connection) or "OPEN <path>" (answer "OK" or "NO"); an
// opened connection then carries one report per message, output reports to the
// simulator, input reports back.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

namespace jqsim::hidwire {

inline constexpr char Enumerate[] = "ENUM";
inline constexpr char Open_Prefix[] = "OPEN ";
inline constexpr char Opened[] = "OK";
inline constexpr char Not_Opened[] = "NO";
inline constexpr size_t Max_Message = 1024;
// How long either side waits for an answer it is owed.
inline constexpr int Answer_Timeout_ms = 2000;

// A device as hid_enumerate describes it; texts are ASCII (other characters
// travel as '?').
struct Device {
  std::string path, manufacturer, product, serial;
  uint16_t vendor_id = 0, product_id = 0;
};

// Fields one per line; a path or text never holds a line break.
inline std::string Describe(const Device& d) {
  return d.path + '\n' + d.manufacturer + '\n' + d.product + '\n' + d.serial + '\n' +
         std::to_string(d.vendor_id) + '\n' + std::to_string(d.product_id);
}

inline bool Parse(const std::string& text, Device& d) {
  std::string field[6];
  size_t at = 0;
  for (int i = 0; i < 6; ++i) {
    const size_t end = i < 5 ? text.find('\n', at) : text.size();
    if (end == std::string::npos) return false;
    field[i] = text.substr(at, end - at);
    at = end + 1;
  }
  char* rest = nullptr;
  const unsigned long vid = std::strtoul(field[4].c_str(), &rest, 10);
  if (field[4].empty() || *rest || vid > 0xFFFF) return false;
  const unsigned long pid = std::strtoul(field[5].c_str(), &rest, 10);
  if (field[5].empty() || *rest || pid > 0xFFFF) return false;
  d = Device{field[0], field[1], field[2], field[3], static_cast<uint16_t>(vid), static_cast<uint16_t>(pid)};
  return !d.path.empty();
}

}  // namespace jqsim::hidwire
