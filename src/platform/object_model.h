#pragma once
// The stand-in for the desktop's forms and controls. Objects hold the truth
// (their properties and their designed state); a form's peer shows it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

class Form;
class Frame;
class Runtime;
class Services;

enum class Property {
    Caption, Visible, Enabled, ForeColor, BackColor, Font, Alignment, Geometry, TabIndex, Interval
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
    void changed(Property property);

private:
    friend class Form;
    Form* form_;
    std::string name_;
};

// The window-system side of one loaded form and all its objects.
class FormPeer {
public:
    virtual ~FormPeer() = default;
    virtual void changed(Object& object, Property property) = 0;
    // Paint the form now, before the next statement runs.
    virtual void refresh() = 0;
    // The outer geometry in twips as the window system has applied it.
    virtual float outerLeft() const = 0;
    virtual float outerTop() const = 0;
    virtual float outerWidth() const = 0;
    virtual float outerHeight() const = 0;
};

struct Geometry {
    float left = 0, top = 0, width = 0, height = 0;  // twips
    bool operator==(const Geometry&) const = default;
};

// Labels, buttons and frames.
class Control : public Object {
public:
    enum class Kind { Label, CommandButton, Frame };

    Kind kind() const { return kind_; }
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

    void snapshotDesign() override { design_ = now_; }
    void restoreDesign() override { now_ = design_; }

protected:
    Control(Form& form, std::string name, Kind kind, Frame* container);

private:
    struct State {
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
    Kind kind_;
    Frame* container_;
    State now_, design_;
};

class Label : public Control {
public:
    Label(Form& form, std::string name, Frame* container = nullptr)
        : Control(form, std::move(name), Kind::Label, container) {}
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name) : Control(form, std::move(name), Kind::CommandButton, nullptr) {}
};

class Frame : public Control {
public:
    Frame(Form& form, std::string name) : Control(form, std::move(name), Kind::Frame, nullptr) {}
};

// A top-level menu (parent nullptr) or an item. A caption "-" is a separator;
// an empty caption is still a real, clickable entry.
class Menu : public Object {
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

    void snapshotDesign() override { design_ = now_; }
    void restoreDesign() override { now_ = design_; }

private:
    struct State {
        std::string caption;
        bool visible = true;
        bool enabled = true;
    };
    Menu* parent_;
    State now_, design_;
};

// Ticks every interval while enabled and the interval is above 0. Setting
// either property restarts the countdown.
class Timer : public Object {
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

    void snapshotDesign() override { design_ = now_; }
    void restoreDesign() override { now_ = design_; }

private:
    struct State {
        bool enabled = true;
        int32_t interval = 0;
    };
    State now_, design_;
};

// A window. Subclasses declare their controls as members and their handlers
// as overrides; the state at the end of the constructor is the designed state
// that every load starts from.
class Form : public Object {
public:
    ~Form() override;

    Runtime& runtime() const { return runtime_; }
    Services& services() const;

    // Show loads the form first when needed (running Form_Load), then shows it.
    void Show();
    void Hide();
    // Asks Form_QueryUnload; unless refused, closes the window and returns the
    // form to its designed state. Returns whether it was unloaded.
    bool Unload(int16_t unloadMode = unload_mode::kProgram);
    void Refresh();
    // Closes the window without asking, as the program goes away. Subclasses'
    // controls must outlive the peer, so the owner calls this before them.
    void releasePeer();

    bool loaded() const { return peer_ != nullptr; }
    bool visible() const { return loaded() && now_.visible; }

    const std::string& caption() const { return now_.caption; }
    bool enabled() const { return now_.enabled; }
    Color backColor() const { return now_.backColor; }
    BorderStyle borderStyle() const { return now_.border; }
    float clientWidth() const { return now_.clientWidth; }
    float clientHeight() const { return now_.clientHeight; }
    const FontSpec& font() const { return now_.font; }
    const std::string& icon() const { return now_.icon; }

    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    // The geometry as last requested by the program.
    const Geometry& requestedGeometry() const { return now_.geometry; }

    void setCaption(std::string caption);
    void setEnabled(bool enabled);
    void setBackColor(Color color);
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);

    // Events delivered by a backend.
    void userClose();
    void keyDown(int16_t keyCode, int16_t shift);
    void mouseDown();

    const std::vector<Object*>& objects() const { return objects_; }
    std::vector<Control*> controls() const;
    std::vector<Menu*> topMenus() const;
    std::vector<Menu*> items(const Menu& menu) const;
    std::vector<Timer*> timers() const;
    bool hasVisibleTopMenu() const;
    // The shown, enabled button with the lowest tab index: where focus starts.
    CommandButton* firstFocusable() const;

    void snapshotDesign() override;
    void restoreDesign() override;

    FormPeer* peer() const { return peer_.get(); }

protected:
    Form(Runtime& runtime, std::string name);

    // Call at the end of the subclass constructor.
    void endDesign();

    // Design-time settings.
    void designBorder(BorderStyle border) { now_.border = border; }
    void designClientSize(float width, float height) { now_.clientWidth = width; now_.clientHeight = height; now_.geometry.width = width; now_.geometry.height = height; }
    void designFont(FontSpec font) { now_.font = std::move(font); }
    void designIcon(std::string icon) { now_.icon = std::move(icon); }

    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) { (void)Cancel; (void)UnloadMode; }
    virtual void Form_KeyDown(int16_t KeyCode, int16_t Shift) { (void)KeyCode; (void)Shift; }
    virtual void Form_MouseDown() {}

private:
    friend class Object;
    void load();
    void tell(Object& object, Property property);

    struct State {
        std::string caption;
        bool visible = false;
        bool enabled = true;
        Color backColor = 0x00C0C0C0;
        BorderStyle border = BorderStyle::FixedSingle;
        float clientWidth = 0, clientHeight = 0;
        FontSpec font;
        std::string icon;  // empty: no icon
        Geometry geometry;
    };
    Runtime& runtime_;
    std::vector<Object*> objects_;
    std::unique_ptr<FormPeer> peer_;
    State now_, design_;
};

}  // namespace platform
