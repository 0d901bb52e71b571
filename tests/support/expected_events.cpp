#include "expected_events.h"

#include <algorithm>
#include <sstream>

namespace script {

using Kind = headless::Event::Kind;

bool Expected::matches(const headless::Event& e) const {
    if (e.kind != kind) return false;
    switch (kind) {
        case Kind::Changed: return e.changesTo(*object, property, value);
        case Kind::Loaded:
        case Kind::Unloaded:
        case Kind::Refreshed: return e.form == object;
        case Kind::Slept: return e.milliseconds == milliseconds;
        default: return e.value == value;
    }
}

std::string Expected::describe() const {
    const std::string name = object ? object->name() : std::string();
    switch (kind) {
        case Kind::Changed:
            return name + "." + headless::propertyName(property) + " = " + headless::valueText(value);
        case Kind::Refreshed: return name + " refreshed";
        case Kind::Unloaded: return name + " unloaded";
        case Kind::Loaded: return name + " loaded";
        case Kind::Slept: return "sleep " + std::to_string(milliseconds);
        case Kind::DidEvents: return "do events";
        case Kind::Ended: return "end";
        default: return headless::valueText(value);
    }
}

Expected set(const platform::Object& object, platform::Property property, headless::Value value) {
    return {.kind = Kind::Changed, .object = &object, .property = property, .value = std::move(value)};
}
Expected refreshed(const platform::Form& form) { return {.kind = Kind::Refreshed, .object = &form}; }
Expected unloaded(const platform::Form& form) { return {.kind = Kind::Unloaded, .object = &form}; }
Expected slept(int64_t milliseconds) { return {.kind = Kind::Slept, .milliseconds = milliseconds}; }
Expected didEvents() { return {.kind = Kind::DidEvents}; }
Expected ended() { return {.kind = Kind::Ended}; }

::testing::AssertionResult EventsAre(const std::vector<headless::Event>& events, std::size_t from,
                                     const std::vector<Expected>& expected) {
    const std::size_t count = events.size() > from ? events.size() - from : 0;
    bool same = count == expected.size();
    for (std::size_t i = 0; same && i < count; ++i) same = expected[i].matches(events[from + i]);
    if (same) return ::testing::AssertionSuccess();
    std::ostringstream out;
    out << "expected:\n";
    for (const Expected& e : expected) out << "  " << e.describe() << '\n';
    out << "saw:\n";
    for (std::size_t i = from; i < events.size(); ++i) out << "  " << events[i].text() << '\n';
    return ::testing::AssertionFailure() << out.str();
}

std::size_t IndexOf(const std::vector<headless::Event>& events, std::size_t from, const Expected& expected) {
    const auto begin = events.begin() + static_cast<std::ptrdiff_t>(std::min(from, events.size()));
    return static_cast<std::size_t>(
        std::find_if(begin, events.end(), [&](const headless::Event& e) { return expected.matches(e); }) -
        events.begin());
}

}  // namespace script
