#pragma once
// Disabled forms: a disabled form takes no mouse or keyboard input but keeps
// its look.
#include <QObject>
#include <memory>

class QWidget;

namespace qt_backend {

class InputBlocker {
public:
    InputBlocker();
    ~InputBlocker();
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    void setBlocked(QWidget* window, bool blocked);

private:
    std::unique_ptr<QObject> filter_;  // installed when a form is first disabled
};

}  // namespace qt_backend
