// Writes the window icon as a PNG of the given size, for the icon theme.
#include <QApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "qt/fonts.h"
#include "app/window_icon.h"
#include "qt/window_system.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[1]);
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "%s: size must be 16 to 1024 pixels\n", argv[0]);
        return 2;
    }
    qt_backend::ensureRuntimeDirectory();
    QApplication app(argc, argv);
    qt_backend::installJapaneseFonts();
    if (!app::renderWindowIcon(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
