#include "web/web_form_peer.h"

#include <algorithm>
#include <vector>

#include "platform/reading_order.h"
#include "web/window_layout.h"

namespace web {

using platform::Property;

namespace {

const char* cssAlignment(platform::Alignment alignment) {
    switch (alignment) {
        case platform::Alignment::Right: return "right";
        case platform::Alignment::Center: return "center";
        case platform::Alignment::Left: break;
    }
    return "left";
}

page::ControlKind kindOf(const platform::Form& form, const platform::Control& control) {
    const auto& frames = form.frames();
    if (std::find(frames.begin(), frames.end(), &control) != frames.end()) return page::ControlKind::Frame;
    const auto& buttons = form.buttons();
    if (std::find(buttons.begin(), buttons.end(), &control) != buttons.end()) return page::ControlKind::Button;
    return page::ControlKind::Label;
}

void applyControl(const platform::Control& c, Property property, const std::string& family) {
    const page::Id id = page::idOf(c);
    switch (property) {
        case Property::Caption: page::setControlText(id, c.caption()); break;
        case Property::Visible:
        case Property::Enabled: page::setControlShown(id, c.visible(), c.enabled()); break;
        case Property::ForeColor:
        case Property::BackColor:
            page::setControlColors(id, cssColor(c.foreColor()), c.transparent() ? "transparent" : cssColor(c.backColor()));
            break;
        case Property::Font: page::setControlFont(id, family, cssPixels(c.font().size), c.font().bold); break;
        case Property::Alignment: page::setControlAlignment(id, cssAlignment(c.alignment())); break;
        case Property::Geometry: {
            const platform::Geometry& g = c.geometry();
            page::setControlPlace(id, toPixels(g.left), toPixels(g.top), toPixels(g.width), toPixels(g.height));
            break;
        }
        default: break;
    }
}

}  // namespace

WebFormPeer::WebFormPeer(platform::Form& form, Targets& targets)
    : form_(form),
      targets_(targets),
      id_(page::idOf(form)),
      placedLeft_(form.requestedGeometry().left),
      placedTop_(form.requestedGeometry().top) {
    const std::string formFamily = cssFontFamily(form_.font().face);
    page::openWindow(id_, form_.name(), form_.borderStyle() != platform::BorderStyle::None, form_.icon(), formFamily);
    targets_.enroll(id_, &form_);
    buildControls();
    buildMenus();
    for (platform::Timer* timer : form_.timers()) {
        targets_.enroll(page::idOf(*timer), timer);
        timerChanged(*timer, Property::Interval);
    }
    for (Property p : {Property::Caption, Property::BackColor, Property::Enabled}) formChanged(p);
    relayout();
}

WebFormPeer::~WebFormPeer() {
    for (platform::Timer* timer : form_.timers()) {
        page::setTimer(page::idOf(*timer), 0);
        targets_.withdraw(page::idOf(*timer));
    }
    for (platform::Control* control : form_.controls()) targets_.withdraw(page::idOf(*control));
    for (platform::Menu* top : form_.topMenus()) {
        targets_.withdraw(page::idOf(*top));
        for (platform::Menu* item : form_.items(*top)) targets_.withdraw(page::idOf(*item));
    }
    targets_.withdraw(id_);
    page::closeWindow(id_);
}

// ------------------------------------------------------------ building

// Frames first, as their controls go inside them; in each container the
// controls stand in reading order, which is the order a screen reader takes.
std::vector<platform::Control*> WebFormPeer::buildingOrder() const {
    const std::vector<platform::Control*> frames(form_.frames().begin(), form_.frames().end());
    std::vector<platform::Control*> order = platform::readingOrder(frames);
    std::vector<const platform::Frame*> containers{nullptr};
    containers.insert(containers.end(), form_.frames().begin(), form_.frames().end());
    for (const platform::Frame* container : containers) {
        std::vector<platform::Control*> inside;
        for (platform::Control* control : form_.controls())
            if (control->container() == container && kindOf(form_, *control) != page::ControlKind::Frame)
                inside.push_back(control);
        const std::vector<platform::Control*> read = platform::readingOrder(inside);
        order.insert(order.end(), read.begin(), read.end());
    }
    return order;
}

void WebFormPeer::buildControls() {
    for (platform::Control* control : buildingOrder()) {
        const page::Id id = page::idOf(*control);
        const page::Id container = control->container() != nullptr ? page::idOf(*control->container()) : 0;
        page::addControl(id_, id, kindOf(form_, *control), container);
        targets_.enroll(id, control);
        for (Property p : {Property::Caption, Property::Visible, Property::ForeColor, Property::Font,
                           Property::Alignment, Property::Geometry})
            applyControl(*control, p, fontFamilyOf(*control));
    }
    applyTabOrder();
}

void WebFormPeer::buildMenus() {
    for (platform::Menu* top : form_.topMenus()) {
        page::addMenu(id_, page::idOf(*top), 0);
        targets_.enroll(page::idOf(*top), top);
        menuChanged(*top, Property::Caption);
        for (platform::Menu* item : form_.items(*top)) {
            page::addMenu(id_, page::idOf(*item), page::idOf(*top));
            targets_.enroll(page::idOf(*item), item);
            menuChanged(*item, Property::Caption);
        }
    }
}

std::string WebFormPeer::fontFamilyOf(const platform::Control& control) const {
    // No face of its own: the form's face, in the control's size and weight.
    return cssFontFamily(control.font().face.empty() ? form_.font().face : control.font().face);
}

void WebFormPeer::applyTabOrder() {
    std::vector<platform::CommandButton*> buttons = form_.buttons();
    std::stable_sort(buttons.begin(), buttons.end(),
                     [](const platform::Control* a, const platform::Control* b) { return a->tabIndex() < b->tabIndex(); });
    for (std::size_t i = 0; i < buttons.size(); ++i) page::setControlOrder(page::idOf(*buttons[i]), static_cast<int>(i));
}

// ------------------------------------------------------------ changes

void WebFormPeer::formChanged(Property property) {
    switch (property) {
        case Property::Caption: page::setWindowCaption(id_, form_.caption()); break;
        case Property::Visible:
            if (form_.visible()) {
                show();
            } else {
                page::hideWindow(id_);
            }
            break;
        case Property::Enabled: page::setWindowEnabled(id_, form_.enabled()); break;
        case Property::BackColor: page::setWindowColor(id_, cssColor(form_.backColor())); break;
        case Property::Geometry: applyGeometry(); break;
        default: break;
    }
}

void WebFormPeer::controlChanged(platform::Control& control, Property property) {
    if (property == Property::TabIndex) {
        applyTabOrder();
        return;
    }
    applyControl(control, property, fontFamilyOf(control));
}

void WebFormPeer::menuChanged(platform::Menu& menu, Property property) {
    page::setMenu(page::idOf(menu), menu.caption(), menu.visible(), menu.enabled(), menu.isSeparator());
    // The bar comes and goes with its top-level menus.
    if (property == Property::Visible && menu.parent() == nullptr) relayout();
}

void WebFormPeer::timerChanged(platform::Timer& timer, Property) {
    // Every change starts the countdown again; the peer exists only while
    // the form is loaded, so enabled with an interval means running.
    page::setTimer(page::idOf(timer), timer.enabled() ? timer.interval() : 0);
}

void WebFormPeer::relayout() { page::layoutWindow(id_, layoutOf(form_)); }

void WebFormPeer::applyGeometry() {
    if (form_.borderStyle() == platform::BorderStyle::None) relayout();
    // Only a new Left or Top moves the window: a new size leaves it where it
    // is, even where the player has dragged it.
    const platform::Geometry& g = form_.requestedGeometry();
    if (g.left == placedLeft_ && g.top == placedTop_) return;
    const bool left = g.left != placedLeft_, top = g.top != placedTop_;
    placedLeft_ = g.left;
    placedTop_ = g.top;
    positioned_ = true;
    moveTo(left ? toPixels(g.left) : page::windowLeft(id_), top ? toPixels(g.top) : page::windowTop(id_));
}

void WebFormPeer::moveTo(int left, int top) {
    // A corner past the screen's top or left edge would put the title bar
    // and its close box out of reach.
    page::moveWindow(id_, std::max(0, left), std::max(0, top));
}

// ------------------------------------------------------------ showing and painting

void WebFormPeer::placeIfUnplaced() {
    if (positioned_) return;
    const page::WindowLayout layout = layoutOf(form_);
    moveTo((page::screenWidth() - layout.width) / 2, (page::screenHeight() - layout.height) / 2);
    positioned_ = true;
}

void WebFormPeer::show() {
    placeIfUnplaced();
    // Painted when Show returns: what follows counts from there.
    page::paint(id_);
    platform::CommandButton* first = form_.firstFocusable();
    page::showWindow(id_, first != nullptr ? page::idOf(*first) : 0);
}

void WebFormPeer::refresh() {
    if (form_.visible()) page::paint(id_);
}

float WebFormPeer::outerLeft() const { return toTwips(page::windowLeft(id_)); }
float WebFormPeer::outerTop() const { return toTwips(page::windowTop(id_)); }
float WebFormPeer::outerWidth() const { return toTwips(layoutOf(form_).width); }
float WebFormPeer::outerHeight() const { return toTwips(layoutOf(form_).height); }

}  // namespace web
