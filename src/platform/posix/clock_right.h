#pragma once

#include <cerrno>

namespace quorvane {

// CAP_SYS_TIME, the one right the program may hold. It stays out of the effective set except
// for the moment of a clock or rate call, so nothing else the process does (a library, a
// plug-in) runs with it. Capabilities belong to a thread: these act on the calling one, and a
// thread started later inherits them.

// Whether the right is in the permitted set, so it can be raised.
bool holdsClockRight();
// Takes the right out of the effective set. Never fails where the right was not held.
void lowerClockRight();
// Puts it back in the effective set for one call; false where it is not permitted.
bool raiseClockRight();
// Drops the right from the effective, permitted, inheritable and ambient sets, and from the
// bounding set where the process may change it, so neither this process nor anything it starts
// can have it again.
void withdrawClockRight();

// Runs call (a C library call returning -1 and setting errno on failure) with the right raised,
// and lowers it at once. 0, or the call's errno.
template <typename Call>
int withClockRight(Call call) {
    raiseClockRight();
    const int error = call() < 0 ? errno : 0;
    lowerClockRight();
    return error;
}

}  // namespace quorvane
