#include "qt/widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace qt_backend {

void FormWindow::closeEvent(QCloseEvent* event) {
    // The core decides, and unloads the form itself when it agrees.
    event->ignore();
    if (target_) target_->closeRequested();
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    if (target_) target_->keyPressed(*event);
}

// The window manager frames a window some time after it is shown and moves
// it as it does: a moment to learn the frame for the next window.
void FormWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (target_) target_->frameMayHaveChanged();
}

void FormWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (target_) target_->frameMayHaveChanged();
}

void ClientArea::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (target_) target_->backgroundPressed();
}

LabelWidget::LabelWidget(InputTarget target, platform::Control& control, QWidget* parent)
    : QLabel(parent), target_(target), control_(control) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);  // the desktop's labels wrap at their width
    setFocusPolicy(Qt::NoFocus);
}

// A click is a press and a release on the label, as on the desktop; the press
// is the label's and does not reach the window behind it.
void LabelWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
    pressed_ = event->button() == Qt::LeftButton;
}

void LabelWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click && target_) target_->labelClicked(control_);
}

ButtonWidget::ButtonWidget(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    setFocusPolicy(Qt::StrongFocus);
}

// The desktop's buttons take Enter as well as Space.
void ButtonWidget::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

FrameWidget::FrameWidget(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Sunken);  // the desktop's etched frame line
    setLineWidth(1);
    setMidLineWidth(0);
    setAutoFillBackground(true);
}

// A press on the frame is the frame's, not the window's.
void FrameWidget::mousePressEvent(QMouseEvent* event) { event->accept(); }

}  // namespace qt_backend
