#include "ui/timer.h"

#include "ui/application.h"
#include "ui/backend.h"

namespace zov::ui {

TTimer::~TTimer() {
    if (running_) App().Backend().SetTimer(*this, false);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (running_) App().Backend().SetTimer(*this, false);
    running_ = false;
    Update();
}

void TTimer::Update() {
    const bool run = enabled_ && interval_ > 0 && OnTimer;
    if (run == running_) return;
    running_ = run;
    App().Backend().SetTimer(*this, run);
}

void TTimer::Fire() {
    if (enabled_ && OnTimer) OnTimer();
}

}  // namespace zov::ui
