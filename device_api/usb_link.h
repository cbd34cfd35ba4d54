// USB HID link: output reports for requests, one reader thread that polls every
// open device and hands replies and pushed words to the waiting caller.
#pragma once

#include <cstdint>

namespace jq {

// Reports on the wire.
constexpr int USB_Out_Report_Size = 9;
constexpr int USB_In_Report_Size = 65;
constexpr uint8_t Report_Request = 1;
constexpr uint8_t Report_Reply = 2;
constexpr uint8_t Report_Push = 3;
constexpr int USB_Reply_Timeout_ms = 500;
constexpr int Push_Words = 8;

void Build_USB_Out_Report(uint16_t command, uint16_t index, int32_t value,
                          uint8_t (&report)[USB_Out_Report_Size]);

}  // namespace jq
