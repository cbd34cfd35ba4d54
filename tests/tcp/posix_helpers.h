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
}  // namespace testposix
