// The few POSIX calls the socket tests need, kept apart from the Windows names.
#pragma once

#include <string>

namespace testposix {
// A copy of the descriptor at `min` or above (the original is closed); -1 on failure.
int MoveAbove(int fd, int min);
// Raises the soft descriptor limit towards `want`; returns the new limit.
long RaiseDescriptorLimit(long want);
std::string NodeName();
void DefaultSigPipe();
void SleepMs(int ms);
// The socket's keep-alive switch and its idle and probe-interval seconds, as
// the system holds them; false when it cannot be read.
bool KeepAliveSettings(int fd, bool& on, int& idleSeconds, int& intervalSeconds);
}  // namespace testposix

// A plain loopback peer for the client tests.
namespace testposix {
// A listening IPv4 loopback socket; port receives its port. -1 on failure.
int ListenLoopback(int backlog, int& port);
// Waits up to timeoutMs for a connection; -1 when none came.
int AcceptWithin(int listener, int timeoutMs);
bool SendAll(int fd, const void* data, int size);
// Reads what arrives within timeoutMs (at most size bytes); -1 on failure.
int ReceiveWithin(int fd, void* data, int size, int timeoutMs);
void CloseFd(int fd);
// Closes so that the other side sees a reset instead of an orderly end.
void CloseWithReset(int fd);
// Threads of this process.
int ThreadCount();
// A non-blocking connect that is left pending (for filling a backlog).
int ConnectPending(int port);
}  // namespace testposix
