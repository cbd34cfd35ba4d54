// Request and reply frames of the serial and network links.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device_api/command.h"

namespace jq {

constexpr size_t Request_Frame_Size = 13;
// Frame markers, shared by the frame builder and the reply scanner.
constexpr uint8_t Head0 = 0xAA, Head1 = 0x55, Tail0 = 0xCC, Tail1 = 0x33;
constexpr size_t Reply_Frame_Size = 14;

using TRequest_Frame = std::array<uint8_t, Request_Frame_Size>;

TRequest_Frame Build_Request_Frame(const TCommand_Request& request);

// Checks a received reply against the request frame it answers (length, head, command
// echo, tail, checksum); on acceptance fills `reply` from it.
bool Accept_Reply_Frame(const TRequest_Frame& request, const uint8_t* data, size_t size,
                        TReply_Block& reply);

}  // namespace jq
