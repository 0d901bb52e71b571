// The program: a Qt application, the Qt backend, one Game and its Main.
#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/window_icon.h"
#include "platform/language.h"
#include "qt/fonts.h"
#include "qt/qt_services.h"
#include "qt/window_system.h"
#include "hub/game.h"
#include "startup/game_windows.h"
#include "startup/main_routine.h"

namespace {

// The path as a shell takes it back: the advice below is meant to be pasted.
std::string shellQuoted(const std::string& path) {
    const bool plain = !path.empty() && path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                               "0123456789_./-") == std::string::npos;
    if (plain) return path;
    std::string quoted = "'";
    for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The player's language, as gettext chooses it from the environment.
platform::Language playersLanguage() {
    return platform::languageOfList(platform::languagesOfEnvironment([](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    }));
}

// Who the program is, for the desktop: its name and its icon.
qt_backend::Identity identity() { return {"mochitama", app::windowIcon}; }

// Answers --help, --version and a bad command line, which end the program
// here; when the game is to be played, makes Qt's -platform and -display the
// ones the window-system check looks at.
void answerCommandLine(int argc, char** argv) {
    const app::CommandLine line = app::readCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    switch (line.request) {
        case app::Request::Help:
            std::fputs(app::usage().c_str(), stdout);
            std::exit(0);
        case app::Request::Version:
            std::fputs(app::versionLine().c_str(), stdout);
            std::exit(0);
        case app::Request::Refuse:
            std::fprintf(stderr, "mochitama: %s\nTry 'mochitama --help' for more information.\n", line.complaint.c_str());
            std::exit(app::kUsageStatus);
        case app::Request::Play:
            break;
    }
    if (!line.platform.empty()) ::setenv("QT_QPA_PLATFORM", line.platform.c_str(), 1);
    if (!line.display.empty()) ::setenv("DISPLAY", line.display.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    answerCommandLine(argc, argv);
    const qt_backend::Identity me = identity();
    const std::string program = argc > 0 ? argv[0] : me.name;
    // Qt aborts when it cannot open a window; say why in one line instead.
    qt_backend::FatalErrorsEndQuietly quietFailure(me.name, "to play without a desktop: xvfb-run -a " + shellQuoted(program));
    if (const auto problem = qt_backend::chooseWindowSystem()) qt_backend::FatalErrorsEndQuietly::fail(*problem);
    qt_backend::ensureRuntimeDirectory();

    QApplication app(argc, argv);
    if (QGuiApplication::primaryScreen() == nullptr) qt_backend::FatalErrorsEndQuietly::fail("the window system has no screen");
    quietFailure.started();
    QApplication::setApplicationName(QString::fromStdString(me.name));
    qt_backend::installJapaneseFonts();

    qt_backend::QtServices services(me);
    services.setLanguage(playersLanguage());
    const std::unique_ptr<game::Game> game = game::NewGame(services);
    game->runtime().dispatch([&] { game::Main(*game); });
    return QApplication::exec();
}
