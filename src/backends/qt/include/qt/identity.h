#pragma once
// Who the program is, as the desktop sees it. app/ tells the backend; the
// backend holds no game of its own.
#include <QIcon>
#include <functional>
#include <string>

namespace qt_backend {

struct Identity {
    // The program's name: its application name, and the name of its data
    // directory and lock files.
    std::string name;
    // The icon a form names (a null icon for a name it does not know).
    std::function<QIcon(const std::string&)> icon;
};

}  // namespace qt_backend
