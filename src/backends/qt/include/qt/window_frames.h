#pragma once
// The frame the window manager puts around our windows, as far as we know it
// before a window has one of its own.
#include <QMargins>
#include <optional>

class QWidget;

namespace qt_backend {

class WindowFrames {
public:
    // A frame the window manager put around one of our windows.
    void noteSeen(QMargins frame) { lastSeen_ = frame; }
    // The frame a framed window of ours will get, before it has one (window
    // may be nullptr).
    QMargins expected(const QWidget* window) const;

private:
    std::optional<QMargins> lastSeen_;
    // What the window manager said it will put around a window, once asked.
    mutable std::optional<std::optional<QMargins>> asked_;
};

}  // namespace qt_backend
