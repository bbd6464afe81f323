#pragma once
// Ctrl-C and SIGTERM during a long command: while an InterruptGuard lives, the first such
// signal only sets a flag; the command notices it at its next check, throws EInterrupted
// and cleans up on the way out. A second signal ends the program at once.
#include "sys/exception.h"

namespace zov::zovpack {

ZOV_EXCEPTION(EInterrupted);

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// Throws EInterrupted "interrupted" once a signal has come.
void ThrowIfInterrupted();

}  // namespace zov::zovpack
