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
    : WithDesign(&form, std::move(name)), container_(container) {
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
    set(&ControlState::caption, form().inPlayersLanguage(caption), Property::Caption);
}
void Control::setVisible(bool visible) { set(&ControlState::visible, visible, Property::Visible); }
void Control::setEnabled(bool enabled) { set(&ControlState::enabled, enabled, Property::Enabled); }
void Control::setForeColor(Color color) { set(&ControlState::foreColor, color, Property::ForeColor); }
void Control::setBackColor(Color color) { set(&ControlState::backColor, color, Property::BackColor); }
// Transparency is how the back colour shows.
void Control::setTransparent(bool transparent) { set(&ControlState::transparent, transparent, Property::BackColor); }
void Control::setFont(FontSpec font) { set(&ControlState::font, std::move(font), Property::Font); }
void Control::setFontSize(float points) {
    FontSpec font = now_.font;
    font.size = points;
    setFont(std::move(font));
}
void Control::setAlignment(Alignment alignment) { set(&ControlState::alignment, alignment, Property::Alignment); }
void Control::setGeometry(Geometry geometry) { set(&ControlState::geometry, geometry, Property::Geometry); }
void Control::setLeft(float twips) { setGeometry({twips, now_.geometry.top, now_.geometry.width, now_.geometry.height}); }
void Control::setTop(float twips) { setGeometry({now_.geometry.left, twips, now_.geometry.width, now_.geometry.height}); }
void Control::setTabIndex(int index) { set(&ControlState::tabIndex, index, Property::TabIndex); }

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

Menu::Menu(Form& form, std::string name, Menu* parent) : WithDesign(&form, std::move(name)), parent_(parent) {
    form.menus_.push_back(this);
    if (parent == nullptr) form.topMenus_.push_back(this);
}

void Menu::changed(Property property) {
    if (FormPeer* peer = form().peer()) peer->menuChanged(*this, property);
}

void Menu::setCaption(std::string caption) {
    set(&MenuState::caption, form().inPlayersLanguage(caption), Property::Caption);
}
void Menu::setVisible(bool visible) { set(&MenuState::visible, visible, Property::Visible); }
void Menu::setEnabled(bool enabled) { set(&MenuState::enabled, enabled, Property::Enabled); }

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

Timer::Timer(Form& form, std::string name) : WithDesign(&form, std::move(name)) { form.timers_.push_back(this); }

void Timer::changed(Property property) {
    if (FormPeer* peer = form().peer()) peer->timerChanged(*this, property);
}

bool Timer::running() const { return form().loaded() && now_.enabled && now_.interval > 0; }

void Timer::setEnabled(bool enabled) { set(&TimerState::enabled, enabled, Property::Enabled); }

void Timer::setInterval(int64_t milliseconds) {
    set(&TimerState::interval, static_cast<int32_t>(std::clamp<int64_t>(milliseconds, 0, kMaxInterval)),
        Property::Interval);
}

void Timer::tick() {
    if (!running() || !onTick) return;
    form().runtime().dispatch(onTick);
}

}  // namespace platform
