#pragma once
// What the headless backend saw the program do, one typed event at a time, in
// order: tests ask for the events they care about instead of reading a log.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/form.h"

namespace headless {

// A colour as a value of its own, so that it never passes for a number.
struct ColorValue {
    platform::Color bgr = 0;
    bool operator==(const ColorValue&) const = default;
};

// Where a control was moved to (its size does not change in play).
struct Position {
    float left = 0, top = 0;  // twips
    bool operator==(const Position&) const = default;
};

// What a changed property became, or the text of a box, keys or a player's act.
// Nothing (monostate) for the properties whose changes are not told apart.
using Value = std::variant<std::monostate, bool, int32_t, ColorValue, std::string, platform::FontSpec, Position,
                           platform::Geometry>;

// A value as it reads in an event line: a caption, 1 or 0, a colour as 8 hex
// digits, "left,top" of a control, a form's "left,top,width,height", a font
// as "face size [bold]".
std::string valueText(const Value& value);

struct Event {
    enum class Kind {
        Loaded,       // form
        Unloaded,     // form
        Changed,      // form, object (the form itself or one of its objects), property, value
        Refreshed,    // form
        BoxShown,     // value: the box as text, "[title] "prompt" (icon, buttons)"
        Slept,        // milliseconds
        DidEvents,
        SentKeys,     // value: the keys
        Ended,
        PlayerActed,  // value: what the player did
    };

    Kind kind = Kind::Changed;
    int64_t atMs = 0;  // virtual time
    // Compared by identity only; the names below stay readable after the
    // objects are gone.
    const platform::Form* form = nullptr;
    const platform::Object* object = nullptr;
    std::string formName{};
    std::string objectName{};
    platform::Property property{};
    Value value{};
    int64_t milliseconds = 0;

    bool changes(const platform::Object& what, platform::Property which) const {
        return kind == Kind::Changed && object == &what && property == which;
    }
    bool changesTo(const platform::Object& what, platform::Property which, const Value& to) const {
        return changes(what, which) && value == to;
    }
    // One line, as a person would write it down: "Form1.Label2.Caption = 神".
    std::string text() const;
};

// A changed property's new value.
Value valueOf(const platform::Form& form, platform::Property property);
Value valueOf(const platform::Control& control, platform::Property property);
Value valueOf(const platform::Menu& menu, platform::Property property);
Value valueOf(const platform::Timer& timer, platform::Property property);

const char* propertyName(platform::Property property);

// The box as it appears in events and errors.
std::string describeBox(const platform::MsgBoxRequest& request);

}  // namespace headless
