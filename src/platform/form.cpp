#include "platform/form.h"

#include <algorithm>
#include <iterator>

#include "platform/runtime.h"
#include "platform/language.h"
#include "platform/services.h"

namespace platform {

// ---------------------------------------------------------------- Form

Form::Form(Runtime& runtime, std::string name) : WithDesign(nullptr, std::move(name)), runtime_(runtime) {
    form_ = this;
}

Form::~Form() = default;

Services& Form::services() const { return runtime_.services(); }

void Form::endDesign() {
    for (Object* object : objects_) object->snapshotDesign();
    snapshotDesign();
}


void Form::changed(Property property) {
    if (peer_) peer_->formChanged(property);
}

void Form::designClientSize(float width, float height) {
    now_.clientWidth = width;
    now_.clientHeight = height;
    now_.geometry.width = width;
    now_.geometry.height = height;
}

void Form::load() {
    peer_ = services().createPeer(*this);
    runtime_.noteLoaded();
    Form_Load();
}

void Form::Show() {
    if (!loaded()) load();
    // Form_Load may have unloaded the form again.
    if (!loaded() || !enabled()) return;
    now_.visible = true;
    changed(Property::Visible);
}

void Form::Hide() {
    if (!loaded()) load();
    if (!loaded() || !enabled()) return;
    now_.visible = false;
    changed(Property::Visible);
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

std::string Form::inPlayersLanguage(std::string_view text) const {
    return inLanguage(runtime_.services().language(), text);
}

void Form::setCaption(std::string caption) { set(&FormState::caption, inPlayersLanguage(caption), Property::Caption); }
void Form::setEnabled(bool enabled) { set(&FormState::enabled, enabled, Property::Enabled); }
void Form::setBackColor(Color color) { set(&FormState::backColor, color, Property::BackColor); }

void Form::setGeometryPart(float Geometry::*part, float twips) {
    Geometry geometry = now_.geometry;
    geometry.*part = twips;
    set(&FormState::geometry, geometry, Property::Geometry);
}
void Form::setLeft(float twips) { setGeometryPart(&Geometry::left, twips); }
void Form::setTop(float twips) { setGeometryPart(&Geometry::top, twips); }
void Form::setWidth(float twips) { setGeometryPart(&Geometry::width, twips); }
void Form::setHeight(float twips) { setGeometryPart(&Geometry::height, twips); }

void Form::userClose() {
    // A disabled window takes no input, its close box included.
    if (!loaded() || !enabled()) return;
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

std::vector<Menu*> Form::items(const Menu& menu) const {
    std::vector<Menu*> out;
    std::copy_if(menus_.begin(), menus_.end(), std::back_inserter(out), [&](const Menu* m) { return m->parent() == &menu; });
    return out;
}

bool Form::hasVisibleTopMenu() const {
    return std::any_of(topMenus_.begin(), topMenus_.end(), [](const Menu* m) { return m->visible(); });
}

CommandButton* Form::firstFocusable() const {
    CommandButton* best = nullptr;
    for (CommandButton* button : buttons_) {
        if (!button->visible() || !button->enabled()) continue;
        if (best == nullptr || button->tabIndex() < best->tabIndex()) best = button;
    }
    return best;
}

}  // namespace platform
