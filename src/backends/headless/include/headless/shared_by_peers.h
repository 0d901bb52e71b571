#pragma once
// What the peers of all forms share with each other and with the services,
// owned by HeadlessServices: a peer sees these and nothing else of it.
#include <algorithm>
#include <utility>
#include <vector>

#include "headless/events.h"
#include "headless/virtual_clock.h"
#include "platform/form.h"

namespace headless {

// What the program did, as typed events stamped with the virtual clock.
class EventLog {
public:
    explicit EventLog(const VirtualClock& clock) : clock_(clock) {}
    void record(Event event) {
        event.atMs = clock_.nowMs();
        events.push_back(std::move(event));
    }
    std::vector<Event> events;

private:
    const VirtualClock& clock_;
};

// The forms on the screen, the one shown last on top: it has the focus.
class ShownForms {
public:
    void shown(platform::Form& form) {
        gone(form);
        order_.push_back(&form);
    }
    void gone(platform::Form& form) { order_.erase(std::remove(order_.begin(), order_.end(), &form), order_.end()); }
    platform::Form* top() const { return order_.empty() ? nullptr : order_.back(); }

private:
    std::vector<platform::Form*> order_;
};

// A window system that enforces a smallest outer size, in twips (0: none).
struct SmallestOuterSize {
    float width = 0, height = 0;
};

struct SharedByPeers {
    EventLog& log;
    VirtualClock& clock;
    ShownForms& shownForms;
    const SmallestOuterSize& smallestOuterSize;
};

}  // namespace headless
