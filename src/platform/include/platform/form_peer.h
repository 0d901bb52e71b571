#pragma once
// The window-system side of one loaded form: a backend shows what the form and
// its objects hold. One hook per kind of object, so a change arrives already
// knowing what changed.
#include "platform/controls.h"

namespace platform {

class FormPeer {
public:
    virtual ~FormPeer() = default;

    virtual void formChanged(Property property) = 0;
    virtual void controlChanged(Control& control, Property property) = 0;
    virtual void menuChanged(Menu& menu, Property property) = 0;
    // Enabled or Interval: either restarts the countdown.
    virtual void timerChanged(Timer& timer, Property property) = 0;

    // Paint the form now, before the next statement runs.
    virtual void refresh() = 0;

    // The outer geometry in twips as the window system has applied it.
    virtual float outerLeft() const = 0;
    virtual float outerTop() const = 0;
    virtual float outerWidth() const = 0;
    virtual float outerHeight() const = 0;
};

}  // namespace platform
