// The program: a Qt application, the Qt backend, one Game and its Main.
#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <string>

#include "backends/qt/fonts.h"
#include "backends/qt/qt_services.h"
#include "backends/qt/window_system.h"
#include "startup/game.h"

int main(int argc, char** argv) {
    const char* program = argc > 0 ? argv[0] : "mochitama";
    // Qt aborts when it cannot open a window; say why in one line instead.
    if (const std::string problem = qt_backend::chooseWindowSystem(); !problem.empty()) {
        std::fprintf(stderr, "mochitama: cannot open the game window: %s; to play without a desktop: xvfb-run -a %s\n",
                     problem.c_str(), program);
        return 1;
    }
    qt_backend::ensureRuntimeDirectory();

    qt_backend::FatalErrorsEndQuietly quietFailure("mochitama");
    QApplication app(argc, argv);
    if (QGuiApplication::primaryScreen() == nullptr) qt_backend::FatalErrorsEndQuietly::fail("the window system has no screen");
    quietFailure.started();
    QApplication::setApplicationName(QStringLiteral("mochitama"));
    qt_backend::installJapaneseFonts();

    qt_backend::QtServices services;
    game::Game game(services);
    game.runtime().dispatch([&] { game::Main(game); });
    return QApplication::exec();
}
