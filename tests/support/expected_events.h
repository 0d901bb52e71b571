#pragma once
// Runs of events a test expects, written with the objects and typed values
// the game set, not with the text of the event log.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "headless/events.h"

namespace script {

// One expected event: what it is, about which object, and for a change the
// property and the value it became.
struct Expected {
    headless::Event::Kind kind = headless::Event::Kind::Changed;
    const platform::Object* object = nullptr;
    platform::Property property{};
    headless::Value value{};
    int64_t milliseconds = 0;

    bool matches(const headless::Event& e) const;
    std::string describe() const;
};

Expected set(const platform::Object& object, platform::Property property, headless::Value value);
inline Expected shown(const platform::Object& object) { return set(object, platform::Property::Visible, true); }
inline Expected hidden(const platform::Object& object) { return set(object, platform::Property::Visible, false); }
Expected refreshed(const platform::Form& form);
Expected unloaded(const platform::Form& form);
Expected slept(int64_t milliseconds);
Expected didEvents();
Expected ended();

// The events from `from` on are exactly these, in this order.
::testing::AssertionResult EventsAre(const std::vector<headless::Event>& events, std::size_t from,
                                     const std::vector<Expected>& expected);
// Where the first event from `from` on that matches stands (events.size() if none).
std::size_t IndexOf(const std::vector<headless::Event>& events, std::size_t from, const Expected& expected);

}  // namespace script
