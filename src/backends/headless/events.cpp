#include "headless/events.h"

#include <cstdio>
#include <sstream>

namespace headless {

using platform::Property;

namespace {

std::string hex(platform::Color c) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(c));
    return text;
}

std::string flag(bool on) { return on ? "1" : "0"; }

const char* iconName(platform::MsgIcon icon) {
    switch (icon) {
        case platform::MsgIcon::None: return "none";
        case platform::MsgIcon::Critical: return "critical";
        case platform::MsgIcon::Question: return "question";
        case platform::MsgIcon::Exclamation: return "exclamation";
        case platform::MsgIcon::Information: return "information";
    }
    return "?";
}

}  // namespace

const char* propertyName(Property p) {
    switch (p) {
        case Property::Caption: return "Caption";
        case Property::Visible: return "Visible";
        case Property::Enabled: return "Enabled";
        case Property::ForeColor: return "ForeColor";
        case Property::BackColor: return "BackColor";
        case Property::Font: return "Font";
        case Property::Alignment: return "Alignment";
        case Property::Geometry: return "Geometry";
        case Property::TabIndex: return "TabIndex";
        case Property::Interval: return "Interval";
    }
    return "?";
}

std::string valueText(const platform::Form& f, Property p) {
    std::ostringstream out;
    switch (p) {
        case Property::Caption: return f.caption();
        case Property::Visible: return flag(f.visible());
        case Property::Enabled: return flag(f.enabled());
        case Property::BackColor: return hex(f.backColor());
        case Property::Geometry: {
            const auto& g = f.requestedGeometry();
            out << g.left << ',' << g.top << ',' << g.width << ',' << g.height;
            return out.str();
        }
        default: return {};
    }
}

std::string valueText(const platform::Control& c, Property p) {
    std::ostringstream out;
    switch (p) {
        case Property::Caption: return c.caption();
        case Property::Visible: return flag(c.visible());
        case Property::Enabled: return flag(c.enabled());
        case Property::ForeColor: return hex(c.foreColor());
        case Property::BackColor: return hex(c.backColor());
        case Property::Font: out << c.font().face << ' ' << c.font().size << (c.font().bold ? " bold" : ""); break;
        case Property::Geometry: out << c.left() << ',' << c.top(); break;
        default: break;
    }
    return out.str();
}

std::string valueText(const platform::Menu& m, Property p) {
    switch (p) {
        case Property::Caption: return m.caption();
        case Property::Visible: return flag(m.visible());
        case Property::Enabled: return flag(m.enabled());
        default: return {};
    }
}

std::string valueText(const platform::Timer& t, Property p) {
    if (p == Property::Enabled) return flag(t.enabled());
    if (p == Property::Interval) return std::to_string(t.interval());
    return {};
}

std::string describeBox(const platform::MsgBoxRequest& r) {
    return "[" + r.title + "] \"" + r.prompt + "\" (" + iconName(r.icon) +
           (r.buttons == platform::MsgButtons::YesNo ? ", Yes/No)" : ", OK)");
}

std::string Event::text() const {
    switch (kind) {
        case Kind::Loaded: return formName + " loaded";
        case Kind::Unloaded: return formName + " unloaded";
        case Kind::Refreshed: return formName + " refreshed";
        case Kind::Changed:
            return formName + (objectName.empty() ? "" : "." + objectName) + "." + propertyName(property) + " = " +
                   value;
        case Kind::BoxShown: return "box " + value;
        case Kind::Slept: return "sleep " + std::to_string(milliseconds);
        case Kind::DidEvents: return "do events";
        case Kind::SentKeys: return "send keys " + value;
        case Kind::Ended: return "end";
        case Kind::PlayerActed: return "player " + value;
    }
    return "?";
}

}  // namespace headless
