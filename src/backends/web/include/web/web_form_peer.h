#pragma once
// The page's side of one loaded form: a window drawn in the page with its
// frame, menu bar and controls, and a ticking interval per timer. It copies
// properties and names the objects the page's events may reach; the game's
// rules stay in the core.
#include <vector>

#include "platform/form.h"
#include "platform/form_peer.h"
#include "web/page.h"
#include "web/targets.h"

namespace web {

class WebFormPeer : public platform::FormPeer {
public:
    WebFormPeer(platform::Form& form, Targets& targets);
    ~WebFormPeer() override;
    WebFormPeer(const WebFormPeer&) = delete;
    WebFormPeer& operator=(const WebFormPeer&) = delete;

    void formChanged(platform::Property property) override;
    void controlChanged(platform::Control& control, platform::Property property) override;
    void menuChanged(platform::Menu& menu, platform::Property property) override;
    void timerChanged(platform::Timer& timer, platform::Property property) override;
    void refresh() override;
    float outerLeft() const override;
    float outerTop() const override;
    float outerWidth() const override;
    float outerHeight() const override;

private:
    std::vector<platform::Control*> buildingOrder() const;
    void buildControls();
    void buildMenus();
    void relayout();
    void applyTabOrder();
    void applyGeometry();
    void show();
    void placeIfUnplaced();
    void moveTo(int left, int top);
    std::string fontFamilyOf(const platform::Control& control) const;

    platform::Form& form_;
    Targets& targets_;
    page::Id id_;
    // Left and Top as last applied; the window is unplaced until they change.
    float placedLeft_, placedTop_;
    bool positioned_ = false;
};

}  // namespace web
