#pragma once
// Time as a test lets it pass: one clock, the timers that fall due on it and
// the events waiting for the loop, all in this one object. Nothing happens
// until a test moves it.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "platform/controls.h"

namespace headless {

class VirtualClock {
public:
    int64_t nowMs() const { return nowMs_; }

    // Moves the clock without running anything: a blocking pause.
    void pass(int64_t milliseconds) { nowMs_ += milliseconds; }

    // An event for the loop, run in order with the others.
    void post(std::function<void()> event) { queue_.push_back(std::move(event)); }

    // A timer was armed, stopped or changed; a form took it away.
    void timerChanged(platform::Timer& timer);
    void timerGone(platform::Timer& timer);

    // Runs what is waiting, then every timer due up to `until` in the order
    // they fall due, the clock standing at each one's time; ends at `until`.
    void runUntil(int64_t until);

    // The program ended: nothing more runs.
    void stop();

private:
    void runQueued();

    int64_t nowMs_ = 0;
    std::deque<std::function<void()>> queue_;
    std::map<platform::Timer*, int64_t> dueAt_;
};

}  // namespace headless
