#pragma once
// A window of the program and everything on it. Subclasses declare their
// controls as members and their handlers as overrides; the state at the end
// of the constructor is the designed state that every load starts from.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/form_peer.h"
#include "platform/types.h"

namespace platform {

class Runtime;
class Services;

struct FormState {
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

class Form : public WithDesign<FormState> {
public:
    ~Form() override;

    Runtime& runtime() const { return runtime_; }
    // A text the program gives (a caption), as the player reads it: in the
    // player's language.
    std::string inPlayersLanguage(std::string_view text) const;
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

    // What the form holds, each kind in the order it was declared.
    const std::vector<Control*>& controls() const { return controls_; }
    const std::vector<Label*>& labels() const { return labels_; }
    const std::vector<CommandButton*>& buttons() const { return buttons_; }
    const std::vector<Frame*>& frames() const { return frames_; }
    const std::vector<Menu*>& topMenus() const { return topMenus_; }
    std::vector<Menu*> items(const Menu& menu) const;
    const std::vector<Timer*>& timers() const { return timers_; }
    bool hasVisibleTopMenu() const;
    // The shown, enabled button with the lowest tab index: where focus starts.
    CommandButton* firstFocusable() const;

    FormPeer* peer() const { return peer_.get(); }

protected:
    Form(Runtime& runtime, std::string name);

    // Call at the end of the subclass constructor.
    void endDesign();

    // Design-time settings.
    void designBorder(BorderStyle border) { now_.border = border; }
    void designClientSize(float width, float height);
    void designFont(FontSpec font) { now_.font = std::move(font); }
    void designIcon(std::string icon) { now_.icon = std::move(icon); }

    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) { (void)Cancel; (void)UnloadMode; }
    virtual void Form_KeyDown(int16_t KeyCode, int16_t Shift) { (void)KeyCode; (void)Shift; }
    virtual void Form_MouseDown() {}

private:
    friend class Object;
    friend class Control;
    friend class Label;
    friend class CommandButton;
    friend class Frame;
    friend class Menu;
    friend class Timer;
    void load();
    void changed(Property property) override;
    void setGeometryPart(float Geometry::*part, float twips);

    Runtime& runtime_;
    std::vector<Object*> objects_;
    std::vector<Control*> controls_;
    std::vector<Label*> labels_;
    std::vector<CommandButton*> buttons_;
    std::vector<Frame*> frames_;
    std::vector<Menu*> menus_;
    std::vector<Menu*> topMenus_;
    std::vector<Timer*> timers_;
    std::unique_ptr<FormPeer> peer_;
};

}  // namespace platform
