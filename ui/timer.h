#pragma once
// A timer that raises OnTimer every Interval milliseconds while it is enabled. The setup's
// timers are one-shot: their handlers disable them first.
#include <cstdint>

#include "sys/event.h"

namespace zov::ui {

class TTimer {
public:
    TTimer() = default;
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t ms);

    TEvent<void()> OnTimer;
    // The interval has passed (called by the backend).
    void Fire();

private:
    void Update();
    bool enabled_ = false;
    uint32_t interval_ = 1000;
    bool running_ = false;
};

}  // namespace zov::ui
