#pragma once
// The widgets a form window is made of. They only pass the player's input on
// to the form's peer (through FormInput); what it means is the core's.
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include "platform/controls.h"

class QKeyEvent;

namespace qt_backend {

// What a form window's widgets tell the form's peer.
class FormInput {
public:
    virtual void backgroundPressed() = 0;
    virtual void keyPressed(const QKeyEvent& event) = 0;
    virtual void closeRequested() = 0;
    virtual void labelClicked(platform::Control& label) = 0;
    // The window manager has framed or moved the window.
    virtual void frameMayHaveChanged() = 0;

protected:
    ~FormInput() = default;
};

// Where the input goes while the peer lives; a window the peer left behind
// (waiting to be deleted) passes nothing on.
class InputTarget {
public:
    InputTarget(QObject* peer, FormInput* input) : peer_(peer), input_(input) {}
    FormInput* operator->() const { return input_; }
    explicit operator bool() const { return !peer_.isNull(); }

private:
    QPointer<QObject> peer_;
    FormInput* input_;
};

// The top-level window. Closing it is only a request: the core decides.
class FormWindow : public QWidget {
public:
    explicit FormWindow(InputTarget target) : target_(target) {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    InputTarget target_;
};

// The designed client area below the menu bar; a press on it is the form's.
class ClientArea : public QWidget {
public:
    ClientArea(InputTarget target, QWidget* parent) : QWidget(parent), target_(target) {}

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    InputTarget target_;
};

class LabelWidget : public QLabel {
public:
    LabelWidget(InputTarget target, platform::Control& control, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    InputTarget target_;
    platform::Control& control_;
    bool pressed_ = false;
};

class ButtonWidget : public QPushButton {
public:
    explicit ButtonWidget(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class FrameWidget : public QFrame {
public:
    explicit FrameWidget(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace qt_backend
