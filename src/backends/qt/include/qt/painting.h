#pragma once
// Painting a window at once, before the program blocks.
class QWidget;

namespace qt_backend {

// Paints the window now and puts all of it on the screen, then waits until
// the X server has done it (a Sleep may follow, and nothing is sent then).
void paintNow(QWidget* window);

}  // namespace qt_backend
