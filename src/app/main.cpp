// The program: a Qt application, the Qt backend, one Game and its Main.
#include <QApplication>
#include <cstdio>
#include <string>

#include "backends/qt/fonts.h"
#include "backends/qt/qt_services.h"
#include "backends/qt/x11.h"
#include "startup/game.h"

int main(int argc, char** argv) {
    // Qt aborts without a display; say so in one line instead.
    if (const std::string problem = qt_backend::prepareDisplay(); !problem.empty()) {
        std::fprintf(stderr, "mochitama: no display to open the game window on (%s); "
                             "to run it without a desktop: xvfb-run -a %s\n",
                     problem.c_str(), argc > 0 ? argv[0] : "./build/mochitama");
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mochitama"));
    qt_backend::installJapaneseFonts();

    qt_backend::QtServices services;
    game::Game game(services);
    game.runtime().dispatch([&] { game::Main(game); });
    return QApplication::exec();
}
