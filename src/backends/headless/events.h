#pragma once
// What the headless backend saw the program do, one typed event at a time, in
// order: tests ask for the events they care about instead of reading a log.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/form.h"

namespace headless {

struct Event {
    enum class Kind {
        Loaded,       // form
        Unloaded,     // form
        Changed,      // form, object (the form itself or one of its objects), property, value
        Refreshed,    // form
        BoxShown,     // value: the box as "[title] "prompt" (icon, buttons)"
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
    std::string value{};
    int64_t milliseconds = 0;

    bool changes(const platform::Object& what, platform::Property which) const {
        return kind == Kind::Changed && object == &what && property == which;
    }
    // One line, as a person would write it down: "Form1.Label2.Caption = 神".
    std::string text() const;
};

// A changed property's new value as text: a caption, 1 or 0, a colour as
// 8 hex digits, "left,top" of a control, a font as "face size [bold]".
std::string valueText(const platform::Form& form, platform::Property property);
std::string valueText(const platform::Control& control, platform::Property property);
std::string valueText(const platform::Menu& menu, platform::Property property);
std::string valueText(const platform::Timer& timer, platform::Property property);

const char* propertyName(platform::Property property);

// The box as it appears in events and errors.
std::string describeBox(const platform::MsgBoxRequest& request);

}  // namespace headless
