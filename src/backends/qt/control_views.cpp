#include "qt/control_views.h"

#include <QApplication>

#include "platform/form.h"
#include "qt/core_calls.h"
#include "qt/fonts.h"
#include "qt/units.h"

namespace qt_backend {

namespace {

Qt::Alignment qtAlignment(platform::Alignment alignment) {
    switch (alignment) {
        case platform::Alignment::Right: return Qt::AlignRight | Qt::AlignTop;
        case platform::Alignment::Center: return Qt::AlignHCenter | Qt::AlignTop;
        case platform::Alignment::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

class LabelView : public ControlView {
public:
    LabelView(platform::Label& label, InputTarget target, QWidget* parent, const QFont& formFont)
        : ControlView(label, new LabelWidget(target, label, parent), formFont) {}

private:
    QLabel* label() const { return static_cast<QLabel*>(widget_); }

    void applyCaption() override {
        label()->setText(QString::fromStdString(control_.caption()));
        // An empty label is still where messages appear; a reader that finds
        // it should be able to say what it is.
        label()->setAccessibleDescription(
            control_.caption().empty() ? QString::fromStdString(control_.form().inPlayersLanguage("メッセージ")) : QString());
    }
    void applyColours() override {
        QPalette palette = widget_->palette();
        const QColor fore = toQColor(control_.foreColor());
        palette.setColor(QPalette::Active, QPalette::WindowText, fore);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, fore);
        // A disabled label is greyed; an enabled one keeps its colour in
        // every state of the window.
        palette.setColor(QPalette::Disabled, QPalette::WindowText,
                         control_.enabled() ? fore
                                            : QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
        palette.setColor(QPalette::Window, toQColor(control_.backColor()));
        widget_->setPalette(palette);
        widget_->setAutoFillBackground(!control_.transparent());
    }
    void applyAlignment() override { label()->setAlignment(qtAlignment(control_.alignment())); }
};

class ButtonView : public ControlView {
public:
    ButtonView(platform::CommandButton& button, QWidget* parent, const QFont& formFont, CoreCalls& coreCalls)
        : ControlView(button, new ButtonWidget(parent), formFont),
          click_(QObject::connect(static_cast<QPushButton*>(widget_), &QPushButton::clicked, widget_,
                                  [&button, &coreCalls] { coreCalls.run([&button] { button.click(); }); })) {}
    // The widget may outlive the view, waiting to be deleted: its clicks
    // then reach nothing.
    ~ButtonView() override { QObject::disconnect(click_); }

private:
    void applyCaption() override {
        static_cast<QPushButton*>(widget_)->setText(QString::fromStdString(control_.caption()));
    }
    // A button without a font of its own has the desktop's, not the form's.
    QFont font() const override {
        if (control_.font().face.empty()) return QApplication::font();
        return ControlView::font();
    }

    QMetaObject::Connection click_;
};

class FrameView : public ControlView {
public:
    FrameView(platform::Frame& frame, QWidget* parent, const QFont& formFont)
        : ControlView(frame, new FrameWidget(parent), formFont) {}

private:
    void applyColours() override {
        QPalette palette = widget_->palette();
        palette.setColor(QPalette::Window, toQColor(control_.backColor()));
        widget_->setPalette(palette);
    }
};

}  // namespace

ControlView::ControlView(platform::Control& control, QWidget* widget, QFont formFont)
    : control_(control), widget_(widget), formFont_(std::move(formFont)) {
    widget_->setObjectName(QString::fromStdString(control.name()));
}

QFont ControlView::font() const { return qtFont(control_.font(), formFont_); }

void ControlView::apply(platform::Property property) {
    switch (property) {
        case platform::Property::Caption:
            applyCaption();
            break;
        case platform::Property::Visible:
            widget_->setVisible(control_.visible());
            break;
        case platform::Property::Enabled:
            widget_->setEnabled(control_.enabled());
            applyColours();
            break;
        case platform::Property::ForeColor:
        case platform::Property::BackColor:
            applyColours();
            break;
        case platform::Property::Font:
            widget_->setFont(font());
            break;
        case platform::Property::Alignment:
            applyAlignment();
            break;
        case platform::Property::Geometry: {
            const platform::Geometry& g = control_.geometry();
            widget_->setGeometry(toPixels(g.left), toPixels(g.top), toPixels(g.width), toPixels(g.height));
            break;
        }
        case platform::Property::TabIndex:
        case platform::Property::Interval:
            break;
    }
}

void ControlView::applyAll() {
    for (platform::Property p : {platform::Property::Caption, platform::Property::Font, platform::Property::Alignment,
                                 platform::Property::BackColor, platform::Property::Geometry,
                                 platform::Property::Enabled, platform::Property::Visible})
        apply(p);
}

std::unique_ptr<ControlView> makeLabelView(platform::Label& label, InputTarget target, QWidget* parent,
                                           const QFont& formFont) {
    return std::make_unique<LabelView>(label, target, parent, formFont);
}

std::unique_ptr<ControlView> makeButtonView(platform::CommandButton& button, QWidget* parent, const QFont& formFont,
                                            CoreCalls& coreCalls) {
    return std::make_unique<ButtonView>(button, parent, formFont, coreCalls);
}

std::unique_ptr<ControlView> makeFrameView(platform::Frame& frame, QWidget* parent, const QFont& formFont) {
    return std::make_unique<FrameView>(frame, parent, formFont);
}

}  // namespace qt_backend
