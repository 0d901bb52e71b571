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

Value valueOf(const platform::Form& f, Property p) {
    switch (p) {
        case Property::Caption: return f.caption();
        case Property::Visible: return f.visible();
        case Property::Enabled: return f.enabled();
        case Property::BackColor: return ColorValue{f.backColor()};
        case Property::Geometry: return f.requestedGeometry();
        default: return {};
    }
}

Value valueOf(const platform::Control& c, Property p) {
    switch (p) {
        case Property::Caption: return c.caption();
        case Property::Visible: return c.visible();
        case Property::Enabled: return c.enabled();
        case Property::ForeColor: return ColorValue{c.foreColor()};
        case Property::BackColor: return ColorValue{c.backColor()};
        case Property::Font: return c.font();
        case Property::Geometry: return Position{c.left(), c.top()};
        default: return {};
    }
}

Value valueOf(const platform::Menu& m, Property p) {
    switch (p) {
        case Property::Caption: return m.caption();
        case Property::Visible: return m.visible();
        case Property::Enabled: return m.enabled();
        default: return {};
    }
}

Value valueOf(const platform::Timer& t, Property p) {
    if (p == Property::Enabled) return t.enabled();
    if (p == Property::Interval) return t.interval();
    return {};
}

std::string valueText(const Value& value) {
    struct Text {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool on) const { return on ? "1" : "0"; }
        std::string operator()(int32_t n) const { return std::to_string(n); }
        std::string operator()(ColorValue c) const { return hex(c.bgr); }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(const platform::FontSpec& font) const {
            std::ostringstream out;
            out << font.face << ' ' << font.size << (font.bold ? " bold" : "");
            return out.str();
        }
        std::string operator()(Position at) const {
            std::ostringstream out;
            out << at.left << ',' << at.top;
            return out.str();
        }
        std::string operator()(const platform::Geometry& g) const {
            std::ostringstream out;
            out << g.left << ',' << g.top << ',' << g.width << ',' << g.height;
            return out.str();
        }
    };
    return std::visit(Text{}, value);
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
                   valueText(value);
        case Kind::BoxShown: return "box " + valueText(value);
        case Kind::Slept: return "sleep " + std::to_string(milliseconds);
        case Kind::DidEvents: return "do events";
        case Kind::SentKeys: return "send keys " + valueText(value);
        case Kind::Ended: return "end";
        case Kind::PlayerActed: return "player " + valueText(value);
    }
    return "?";
}

}  // namespace headless
