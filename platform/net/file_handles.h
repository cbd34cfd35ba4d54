// Files opened as the socket module's file handles (descriptors here), for
// sending a whole file on a socket.
#pragma once

#include <cstdint>
#include <string>

#include "platform/net/winsock_types.h"

namespace platform::net {

inline constexpr ws::HANDLE INVALID_FILE_HANDLE = -1;

// Opened for reading, shared with other readers; INVALID_FILE_HANDLE on
// failure (the last error is set).
ws::HANDLE OpenFileForSending(const std::string& path);
// The file's size in bytes; false when it cannot be read.
bool FileHandleSize(ws::HANDLE file, std::uint64_t& size);
void CloseFileHandle(ws::HANDLE file);

}  // namespace platform::net
