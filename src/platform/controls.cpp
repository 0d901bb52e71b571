#include "platform/controls.h"

#include <algorithm>

#include "platform/form.h"
#include "platform/runtime.h"

namespace platform {

// ---------------------------------------------------------------- Object

Object::Object(Form* form, std::string name) : form_(form), name_(std::move(name)) {
    if (form_ != nullptr) form_->objects_.push_back(this);
}

// ---------------------------------------------------------------- Control

Control::Control(Form& form, std::string name, Frame* container)
    : Object(&form, std::move(name)), container_(container) {
    form.controls_.push_back(this);
}

void Control::changed(Property property) {
    if (FormPeer* peer = form().peer()) peer->controlChanged(*this, property);
}

Label::Label(Form& form, std::string name, Frame* container) : Control(form, std::move(name), container) {
    form.labels_.push_back(this);
}

CommandButton::CommandButton(Form& form, std::string name) : Control(form, std::move(name), nullptr) {
    form.buttons_.push_back(this);
}

Frame::Frame(Form& form, std::string name) : Control(form, std::move(name), nullptr) {
    form.frames_.push_back(this);
}

void Control::setCaption(std::string caption) {
    now_.caption = std::move(caption);
    changed(Property::Caption);
}
void Control::setVisible(bool visible) {
    now_.visible = visible;
    changed(Property::Visible);
}
void Control::setEnabled(bool enabled) {
    now_.enabled = enabled;
    changed(Property::Enabled);
}
void Control::setForeColor(Color color) {
    now_.foreColor = color;
    changed(Property::ForeColor);
}
void Control::setBackColor(Color color) {
    now_.backColor = color;
    changed(Property::BackColor);
}
void Control::setTransparent(bool transparent) {
    now_.transparent = transparent;
    changed(Property::BackColor);
}
void Control::setFont(FontSpec font) {
    now_.font = std::move(font);
    changed(Property::Font);
}
void Control::setFontSize(float points) {
    now_.font.size = points;
    changed(Property::Font);
}
void Control::setAlignment(Alignment alignment) {
    now_.alignment = alignment;
    changed(Property::Alignment);
}
void Control::setGeometry(Geometry geometry) {
    now_.geometry = geometry;
    changed(Property::Geometry);
}
void Control::setLeft(float twips) {
    now_.geometry.left = twips;
    changed(Property::Geometry);
}
void Control::setTop(float twips) {
    now_.geometry.top = twips;
    changed(Property::Geometry);
}
void Control::setTabIndex(int index) {
    now_.tabIndex = index;
    changed(Property::TabIndex);
}

bool Control::clickable() const {
    const Form& f = form();
    if (!f.visible() || !f.enabled() || !visible() || !enabled()) return false;
    return container_ == nullptr || container_->clickable();
}

void Control::click() {
    if (!clickable() || !onClick) return;
    form().runtime().dispatch(onClick);
}

// ---------------------------------------------------------------- Menu

Menu::Menu(Form& form, std::string name, Menu* parent) : Object(&form, std::move(name)), parent_(parent) {
    form.menus_.push_back(this);
    if (parent == nullptr) form.topMenus_.push_back(this);
}

void Menu::changed(Property property) {
    if (FormPeer* peer = form().peer()) peer->menuChanged(*this, property);
}

void Menu::setCaption(std::string caption) {
    now_.caption = std::move(caption);
    changed(Property::Caption);
}
void Menu::setVisible(bool visible) {
    now_.visible = visible;
    changed(Property::Visible);
}
void Menu::setEnabled(bool enabled) {
    now_.enabled = enabled;
    changed(Property::Enabled);
}

bool Menu::clickable() const {
    const Form& f = form();
    if (!f.visible() || !f.enabled() || !visible() || !enabled() || isSeparator()) return false;
    return parent_ == nullptr || (parent_->visible() && parent_->enabled());
}

void Menu::click() {
    if (!clickable() || !onClick) return;
    form().runtime().dispatch(onClick);
}

// ---------------------------------------------------------------- Timer

Timer::Timer(Form& form, std::string name) : Object(&form, std::move(name)) { form.timers_.push_back(this); }

void Timer::changed(Property property) {
    if (FormPeer* peer = form().peer()) peer->timerChanged(*this, property);
}

bool Timer::running() const { return form().loaded() && now_.enabled && now_.interval > 0; }

void Timer::setEnabled(bool enabled) {
    now_.enabled = enabled;
    changed(Property::Enabled);
}

void Timer::setInterval(int64_t milliseconds) {
    now_.interval = static_cast<int32_t>(std::clamp<int64_t>(milliseconds, 0, kMaxInterval));
    changed(Property::Interval);
}

void Timer::tick() {
    if (!running() || !onTick) return;
    form().runtime().dispatch(onTick);
}

}  // namespace platform
