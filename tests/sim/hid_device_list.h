// The device lists hid_enumerate hands out, built and freed the same way by
// both stand-ins for hidapi: the simulated backend and the preloaded client.
#pragma once

#include <hidapi/hidapi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace jqsim::hidlist {

inline wchar_t* WideCopy(const std::wstring& s) {
  auto* p = static_cast<wchar_t*>(std::calloc(s.size() + 1, sizeof(wchar_t)));
  if (p) std::wmemcpy(p, s.c_str(), s.size());
  return p;
}

struct Entry {
  std::string path;
  std::wstring manufacturer, product, serial;
  uint16_t vendor_id = 0, product_id = 0;
};

// Appends `e` at *tail and moves tail on; false when memory ran out.
inline bool Append(hid_device_info**& tail, const Entry& e) {
  auto* d = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
  if (!d) return false;
  d->path = ::strdup(e.path.c_str());
  d->vendor_id = e.vendor_id;
  d->product_id = e.product_id;
  d->serial_number = WideCopy(e.serial);
  d->release_number = 0x0100;
  d->manufacturer_string = WideCopy(e.manufacturer);
  d->product_string = WideCopy(e.product);
  d->usage_page = 0xFF00;
  d->usage = 1;
  d->interface_number = 0;
  d->next = nullptr;
  d->bus_type = HID_API_BUS_USB;
  *tail = d;
  tail = &d->next;
  return true;
}

// The entries that match `vendor_id` and `product_id` (0: any), in order, as
// hid_enumerate returns them; cut short when memory runs out.
inline hid_device_info* List(const std::vector<Entry>& all, uint16_t vendor_id, uint16_t product_id) {
  hid_device_info* head = nullptr;
  hid_device_info** tail = &head;
  for (const Entry& e : all) {
    if ((vendor_id != 0 && e.vendor_id != vendor_id) || (product_id != 0 && e.product_id != product_id)) continue;
    if (!Append(tail, e)) break;
  }
  return head;
}

inline void Free(hid_device_info* devs) {
  while (devs) {
    hid_device_info* next = devs->next;
    std::free(devs->path);
    std::free(devs->serial_number);
    std::free(devs->manufacturer_string);
    std::free(devs->product_string);
    std::free(devs);
    devs = next;
  }
}

}  // namespace jqsim::hidlist
