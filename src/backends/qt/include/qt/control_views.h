#pragma once
// How each kind of control is shown: a view builds the control's widget and
// applies every property the control tells of. The peer keeps one view per
// control, so a change reaches the right widget without asking its type.
#include <QFont>
#include <memory>

#include "qt/widgets.h"
#include "platform/controls.h"

namespace qt_backend {

class CoreCalls;

class ControlView {
public:
    virtual ~ControlView() = default;
    ControlView(const ControlView&) = delete;
    ControlView& operator=(const ControlView&) = delete;

    QWidget* widget() const { return widget_; }
    // Applies one property; TabIndex is the peer's, as it concerns all buttons.
    void apply(platform::Property property);
    // Applies every property, as the control stands now.
    void applyAll();

protected:
    ControlView(platform::Control& control, QWidget* widget, QFont formFont);

    virtual void applyCaption() {}
    virtual void applyColours() {}
    virtual void applyAlignment() {}
    virtual QFont font() const;

    platform::Control& control_;
    QWidget* widget_;
    QFont formFont_;
};

// A transparent label with its text colour, font and alignment.
std::unique_ptr<ControlView> makeLabelView(platform::Label& label, InputTarget target, QWidget* parent,
                                           const QFont& formFont);
// A push button that takes the focus in tab order; its click reaches the
// core through `coreCalls` while the view lives.
std::unique_ptr<ControlView> makeButtonView(platform::CommandButton& button, QWidget* parent, const QFont& formFont,
                                            CoreCalls& coreCalls);
// An etched frame that holds labels.
std::unique_ptr<ControlView> makeFrameView(platform::Frame& frame, QWidget* parent, const QFont& formFont);

}  // namespace qt_backend
