#include "headless/headless_form_peer.h"

#include <algorithm>


namespace headless {

using platform::Property;

HeadlessFormPeer::HeadlessFormPeer(SharedByPeers shared, platform::Form& form) : shared_(shared), form_(form) {
    shared_.log.record({.kind = Event::Kind::Loaded, .form = &form_, .formName = form_.name()});
}

HeadlessFormPeer::~HeadlessFormPeer() {
    for (platform::Timer* t : form_.timers()) shared_.clock.timerGone(*t);
    shared_.shownForms.gone(form_);
    shared_.log.record({.kind = Event::Kind::Unloaded, .form = &form_, .formName = form_.name()});
}

void HeadlessFormPeer::recordChange(const platform::Object& object, Property property, Value value) {
    shared_.log.record({.kind = Event::Kind::Changed,
                      .form = &form_,
                      .object = &object,
                      .formName = form_.name(),
                      .objectName = &object == &form_ ? std::string() : object.name(),
                      .property = property,
                      .value = std::move(value)});
}

void HeadlessFormPeer::formChanged(Property property) {
    recordChange(form_, property, valueOf(form_, property));
    if (property != Property::Visible) return;
    if (form_.visible()) {
        shared_.shownForms.shown(form_);
    } else {
        shared_.shownForms.gone(form_);
    }
}

void HeadlessFormPeer::controlChanged(platform::Control& control, Property property) {
    recordChange(control, property, valueOf(control, property));
}

void HeadlessFormPeer::menuChanged(platform::Menu& menu, Property property) {
    recordChange(menu, property, valueOf(menu, property));
}

void HeadlessFormPeer::timerChanged(platform::Timer& timer, Property property) {
    recordChange(timer, property, valueOf(timer, property));
    shared_.clock.timerChanged(timer);
}

void HeadlessFormPeer::refresh() {
    shared_.log.record({.kind = Event::Kind::Refreshed, .form = &form_, .formName = form_.name()});
}

float HeadlessFormPeer::outerLeft() const { return form_.requestedGeometry().left; }
float HeadlessFormPeer::outerTop() const { return form_.requestedGeometry().top; }
float HeadlessFormPeer::outerWidth() const {
    return std::max(form_.requestedGeometry().width, shared_.smallestOuterSize.width);
}
float HeadlessFormPeer::outerHeight() const {
    return std::max(form_.requestedGeometry().height, shared_.smallestOuterSize.height);
}

}  // namespace headless
