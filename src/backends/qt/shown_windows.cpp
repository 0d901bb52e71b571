#include "qt/shown_windows.h"

#include <QApplication>

#include "qt/painting.h"

namespace qt_backend {

void ShownWindows::note(QWidget* window) {
    std::erase_if(windows_, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
    windows_.emplace_back(window);
}

QWidget* ShownWindows::dialogParent() const {
    QWidget* active = QApplication::activeWindow();
    for (const QPointer<QWidget>& w : windows_)
        if (w && w == active && w->isVisible()) return w;
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if (*it && (*it)->isVisible()) return *it;
    return nullptr;
}

void ShownWindows::repaintAll() const {
    for (const QPointer<QWidget>& w : windows_)
        if (w && w->isVisible()) paintNow(w);
}

}  // namespace qt_backend
