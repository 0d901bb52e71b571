#pragma once
// The program's windows that have been shown, in the order they last were.
#include <QPointer>
#include <QWidget>
#include <vector>

namespace qt_backend {

class ShownWindows {
public:
    void note(QWidget* window);
    // Where a message box belongs: the active form window, else the form
    // window shown last that is still visible; nullptr when none is.
    QWidget* dialogParent() const;
    // Paints every visible one as it stands now (before a blocking pause).
    void repaintAll() const;

private:
    std::vector<QPointer<QWidget>> windows_;
};

}  // namespace qt_backend
