#pragma once
// The headless side of one loaded form: shows nothing, records every change
// as an event and keeps the form's timers on the virtual clock.
#include "headless/shared_by_peers.h"
#include "platform/form.h"
#include "platform/form_peer.h"

namespace headless {

class HeadlessFormPeer : public platform::FormPeer {
public:
    HeadlessFormPeer(SharedByPeers shared, platform::Form& form);
    ~HeadlessFormPeer() override;
    HeadlessFormPeer(const HeadlessFormPeer&) = delete;
    HeadlessFormPeer& operator=(const HeadlessFormPeer&) = delete;

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
    void recordChange(const platform::Object& object, platform::Property property, Value value);

    SharedByPeers shared_;
    platform::Form& form_;
};

}  // namespace headless
