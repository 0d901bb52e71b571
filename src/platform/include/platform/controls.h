#pragma once
// What a form holds: labels, buttons, frames, menus and timers. Each object
// holds the truth (its properties and its designed state) and tells its
// form's peer of every change through the hook for its own kind.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/types.h"

namespace platform {

class Form;
class Frame;

enum class Property {
    Caption, Visible, Enabled, ForeColor, BackColor, Font, Alignment, Geometry, TabIndex, Interval
};

struct Geometry {
    float left = 0, top = 0, width = 0, height = 0;  // twips
    bool operator==(const Geometry&) const = default;
};

// Every named thing on a form, the form included.
class Object {
public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    const std::string& name() const { return name_; }
    Form& form() const { return *form_; }

    virtual void snapshotDesign() = 0;
    virtual void restoreDesign() = 0;

protected:
    Object(Form* form, std::string name);  // nullptr: the object is the form itself

private:
    friend class Form;
    Form* form_;
    std::string name_;
};

// An object with a designed state, which every load starts from, and the
// state the program has given it since. Each change is told to the form's
// peer through the hook for the object's kind (changed).
template <typename State>
class WithDesign : public Object {
public:
    void snapshotDesign() override { design_ = now_; }
    void restoreDesign() override { now_ = design_; }

protected:
    using Object::Object;

    virtual void changed(Property property) = 0;
    // Stores one field of the state and tells of it.
    template <typename Field, typename Value>
    void set(Field State::*field, Value&& value, Property property) {
        now_.*field = std::forward<Value>(value);
        changed(property);
    }

    State now_, design_;
};

struct ControlState {
    std::string caption;
    bool visible = true;
    bool enabled = true;
    Color foreColor = 0x00000000;
    Color backColor = 0x00C0C0C0;
    bool transparent = false;
    FontSpec font;
    Alignment alignment = Alignment::Left;
    Geometry geometry;
    int tabIndex = 0;
};

// What labels, buttons and frames share.
class Control : public WithDesign<ControlState> {
public:
    Frame* container() const { return container_; }

    const std::string& caption() const { return now_.caption; }
    bool visible() const { return now_.visible; }
    bool enabled() const { return now_.enabled; }
    Color foreColor() const { return now_.foreColor; }
    Color backColor() const { return now_.backColor; }
    bool transparent() const { return now_.transparent; }
    const FontSpec& font() const { return now_.font; }
    Alignment alignment() const { return now_.alignment; }
    const Geometry& geometry() const { return now_.geometry; }
    // Where the design put it, whatever the program has done since.
    const Geometry& designedGeometry() const { return design_.geometry; }
    float left() const { return now_.geometry.left; }
    float top() const { return now_.geometry.top; }
    int tabIndex() const { return now_.tabIndex; }

    void setCaption(std::string caption);
    void setVisible(bool visible);
    void setEnabled(bool enabled);
    void setForeColor(Color color);
    void setBackColor(Color color);
    void setTransparent(bool transparent);
    void setFont(FontSpec font);
    void setFontSize(float points);
    void setAlignment(Alignment alignment);
    void setGeometry(Geometry geometry);
    void setLeft(float twips);
    void setTop(float twips);
    void setTabIndex(int index);

    // Shown, enabled, on a loaded, shown and enabled form, inside shown frames.
    bool clickable() const;
    // The player clicked it (delivered by a backend).
    void click();

    std::function<void()> onClick;

protected:
    Control(Form& form, std::string name, Frame* container);

private:
    void changed(Property property) override;

    Frame* container_;
};

class Label : public Control {
public:
    Label(Form& form, std::string name, Frame* container = nullptr);
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name);
};

// Draws a box its labels sit in; a press on it is its own, not the form's.
class Frame : public Control {
public:
    Frame(Form& form, std::string name);
};

struct MenuState {
    std::string caption;
    bool visible = true;
    bool enabled = true;
};

// A top-level menu (parent nullptr) or an item. A caption "-" is a separator;
// an empty caption is still a real, clickable entry.
class Menu : public WithDesign<MenuState> {
public:
    Menu(Form& form, std::string name, Menu* parent = nullptr);

    Menu* parent() const { return parent_; }
    const std::string& caption() const { return now_.caption; }
    bool visible() const { return now_.visible; }
    bool enabled() const { return now_.enabled; }
    bool isSeparator() const { return now_.caption == "-"; }

    void setCaption(std::string caption);
    void setVisible(bool visible);
    void setEnabled(bool enabled);

    bool clickable() const;
    void click();

    std::function<void()> onClick;

private:
    void changed(Property property) override;

    Menu* parent_;
};

struct TimerState {
    bool enabled = true;
    int32_t interval = 0;
};

// Ticks every interval while enabled and the interval is above 0. Setting
// either property restarts the countdown.
class Timer : public WithDesign<TimerState> {
public:
    static constexpr int32_t kMaxInterval = 65535;

    Timer(Form& form, std::string name);

    bool enabled() const { return now_.enabled; }
    int32_t interval() const { return now_.interval; }
    bool running() const;

    void setEnabled(bool enabled);
    void setInterval(int64_t milliseconds);  // clamped to 0..65535

    // Delivered by a backend when the countdown runs out.
    void tick();

    std::function<void()> onTick;

private:
    void changed(Property property) override;
};

}  // namespace platform
