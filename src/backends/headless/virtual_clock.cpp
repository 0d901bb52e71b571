#include "headless/virtual_clock.h"

#include <algorithm>

namespace headless {

void VirtualClock::timerChanged(platform::Timer& timer) {
    if (timer.running()) {
        dueAt_[&timer] = nowMs_ + timer.interval();
    } else {
        dueAt_.erase(&timer);
    }
}

void VirtualClock::timerGone(platform::Timer& timer) { dueAt_.erase(&timer); }

void VirtualClock::runQueued() {
    while (!queue_.empty()) {
        auto event = std::move(queue_.front());
        queue_.pop_front();
        event();
    }
}

void VirtualClock::runUntil(int64_t until) {
    runQueued();
    for (;;) {
        auto next = std::min_element(dueAt_.begin(), dueAt_.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
        if (next == dueAt_.end() || next->second > until) break;
        platform::Timer* timer = next->first;
        nowMs_ = std::max(nowMs_, next->second);
        dueAt_.erase(next);
        timer->tick();
        // A timer that is still running and was not re-armed by its own
        // handler starts its next countdown now.
        if (timer->running() && dueAt_.find(timer) == dueAt_.end()) dueAt_[timer] = nowMs_ + timer->interval();
        runQueued();
    }
    nowMs_ = std::max(nowMs_, until);
}

void VirtualClock::stop() {
    queue_.clear();
    dueAt_.clear();
}

}  // namespace headless
