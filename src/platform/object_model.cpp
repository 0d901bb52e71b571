#include "platform/object_model.h"

#include <algorithm>

#include "platform/runtime.h"
#include "platform/services.h"

namespace platform {

// ---------------------------------------------------------------- Object

Object::Object(Form* form, std::string name) : form_(form), name_(std::move(name)) {
    if (form_ != nullptr) form_->objects_.push_back(this);
}

void Object::changed(Property property) { form_->tell(*this, property); }

// ---------------------------------------------------------------- Control

Control::Control(Form& form, std::string name, Kind kind, Frame* container)
    : Object(&form, std::move(name)), kind_(kind), container_(container) {}

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

Menu::Menu(Form& form, std::string name, Menu* parent) : Object(&form, std::move(name)), parent_(parent) {}

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

Timer::Timer(Form& form, std::string name) : Object(&form, std::move(name)) {}

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

// ---------------------------------------------------------------- Form

Form::Form(Runtime& runtime, std::string name) : Object(nullptr, std::move(name)), runtime_(runtime) {
    form_ = this;
}

Form::~Form() = default;

Services& Form::services() const { return runtime_.services(); }

void Form::endDesign() {
    for (Object* object : objects_) object->snapshotDesign();
    snapshotDesign();
}

void Form::snapshotDesign() { design_ = now_; }
void Form::restoreDesign() { now_ = design_; }

void Form::tell(Object& object, Property property) {
    if (peer_) peer_->changed(object, property);
}

void Form::load() {
    peer_ = services().createPeer(*this);
    runtime_.noteLoaded();
    Form_Load();
}

void Form::Show() {
    if (!loaded()) load();
    // Form_Load may have unloaded the form again.
    if (!loaded()) return;
    now_.visible = true;
    tell(*this, Property::Visible);
}

void Form::Hide() {
    if (!loaded()) load();
    if (!loaded()) return;
    now_.visible = false;
    tell(*this, Property::Visible);
}

bool Form::Unload(int16_t unloadMode) {
    if (!loaded()) return true;
    int16_t cancel = kFalse;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel != kFalse || !loaded()) return !loaded();
    peer_.reset();
    for (Object* object : objects_) object->restoreDesign();
    restoreDesign();
    runtime_.noteUnloaded();
    return true;
}

void Form::releasePeer() {
    if (!peer_) return;
    peer_.reset();
    runtime_.noteUnloaded();
}

void Form::Refresh() {
    if (peer_) peer_->refresh();
}

float Form::Left() const { return peer_ ? peer_->outerLeft() : now_.geometry.left; }
float Form::Top() const { return peer_ ? peer_->outerTop() : now_.geometry.top; }
float Form::Width() const { return peer_ ? peer_->outerWidth() : now_.geometry.width; }
float Form::Height() const { return peer_ ? peer_->outerHeight() : now_.geometry.height; }

void Form::setCaption(std::string caption) {
    now_.caption = std::move(caption);
    tell(*this, Property::Caption);
}
void Form::setEnabled(bool enabled) {
    now_.enabled = enabled;
    tell(*this, Property::Enabled);
}
void Form::setBackColor(Color color) {
    now_.backColor = color;
    tell(*this, Property::BackColor);
}
void Form::setLeft(float twips) {
    now_.geometry.left = twips;
    tell(*this, Property::Geometry);
}
void Form::setTop(float twips) {
    now_.geometry.top = twips;
    tell(*this, Property::Geometry);
}
void Form::setWidth(float twips) {
    now_.geometry.width = twips;
    tell(*this, Property::Geometry);
}
void Form::setHeight(float twips) {
    now_.geometry.height = twips;
    tell(*this, Property::Geometry);
}

void Form::userClose() {
    if (!loaded()) return;
    runtime_.dispatch([this] { Unload(unload_mode::kUserClose); });
}

void Form::keyDown(int16_t keyCode, int16_t shift) {
    if (!visible() || !enabled()) return;
    runtime_.dispatch([this, keyCode, shift] { Form_KeyDown(keyCode, shift); });
}

void Form::mouseDown() {
    if (!visible() || !enabled()) return;
    runtime_.dispatch([this] { Form_MouseDown(); });
}

std::vector<Control*> Form::controls() const {
    std::vector<Control*> out;
    for (Object* o : objects_)
        if (auto* c = dynamic_cast<Control*>(o)) out.push_back(c);
    return out;
}

std::vector<Menu*> Form::topMenus() const {
    std::vector<Menu*> out;
    for (Object* o : objects_)
        if (auto* m = dynamic_cast<Menu*>(o); m != nullptr && m->parent() == nullptr) out.push_back(m);
    return out;
}

std::vector<Menu*> Form::items(const Menu& menu) const {
    std::vector<Menu*> out;
    for (Object* o : objects_)
        if (auto* m = dynamic_cast<Menu*>(o); m != nullptr && m->parent() == &menu) out.push_back(m);
    return out;
}

std::vector<Timer*> Form::timers() const {
    std::vector<Timer*> out;
    for (Object* o : objects_)
        if (auto* t = dynamic_cast<Timer*>(o)) out.push_back(t);
    return out;
}

bool Form::hasVisibleTopMenu() const {
    const auto menus = topMenus();
    return std::any_of(menus.begin(), menus.end(), [](const Menu* m) { return m->visible(); });
}

CommandButton* Form::firstFocusable() const {
    CommandButton* best = nullptr;
    for (Control* c : controls()) {
        auto* button = dynamic_cast<CommandButton*>(c);
        if (button == nullptr || !button->visible() || !button->enabled()) continue;
        if (best == nullptr || button->tabIndex() < best->tabIndex()) best = button;
    }
    return best;
}

}  // namespace platform
