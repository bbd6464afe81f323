#include "tools/zovpack/interrupt.h"

#include <csignal>

namespace zov::zovpack {
namespace {

volatile std::sig_atomic_t interrupted = 0;
using Handler = void (*)(int);
Handler previousInt = SIG_DFL;
Handler previousTerm = SIG_DFL;

extern "C" void OnSignal(int signal) {
    interrupted = 1;
    std::signal(signal, SIG_DFL);  // a second one ends the program
}

}  // namespace

InterruptGuard::InterruptGuard() {
    interrupted = 0;
    previousInt = std::signal(SIGINT, OnSignal);
    previousTerm = std::signal(SIGTERM, OnSignal);
}

InterruptGuard::~InterruptGuard() {
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
}

void ThrowIfInterrupted() {
    if (interrupted) throw EInterrupted("interrupted");
}

}  // namespace zov::zovpack
