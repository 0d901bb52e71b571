#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "startup/main_routine.h"

namespace app {

namespace {

// QApplication's options (and those of the X11 platform) that take the
// next argument as their value.
constexpr std::array<std::string_view, 17> kQtOptionsWithValue = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry", "-qwindowtitle",
    "-qwindowicon", "-session", "-style", "-stylesheet", "-qmljsdebugger",
    // xcb only
    "-display", "-geometry", "-title", "-icon", "-name", "-visual"};

// Those that stand alone.
constexpr std::array<std::string_view, 6> kQtFlags = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-testability",
                                                      "-sync"};

// Those that carry their value after '='.
constexpr std::array<std::string_view, 3> kQtOptionsWithJoinedValue = {"-style=", "-stylesheet=", "-qmljsdebugger="};

template <std::size_t N>
bool among(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool hasJoinedValue(std::string_view name) {
    return std::any_of(kQtOptionsWithJoinedValue.begin(), kQtOptionsWithJoinedValue.end(),
                       [&](std::string_view prefix) { return name.substr(0, prefix.size()) == prefix; });
}

CommandLine answer(Request request, std::string complaint = {}) {
    CommandLine line;
    line.request = request;
    line.complaint = std::move(complaint);
    return line;
}

CommandLine refuse(std::string complaint) { return answer(Request::Refuse, std::move(complaint)); }

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") return answer(Request::Help);
        if (argument == "--version") return answer(Request::Version);
        if (argument.size() < 2 || argument[0] != '-') return refuse("unexpected argument '" + argument + "'");

        // Qt takes its options with one dash or two.
        std::string_view name = argument;
        if (name.substr(0, 2) == "--") name.remove_prefix(1);
        if (among(kQtFlags, name) || hasJoinedValue(name)) continue;
        if (!among(kQtOptionsWithValue, name)) return refuse("unknown option '" + argument + "'");
        if (i + 1 == arguments.size()) return refuse("option '" + argument + "' needs a value");
        const std::string& value = arguments[++i];
        if (name == "-platform") line.platform = value;
        if (name == "-display") line.display = value;
    }
    return line;
}

std::string usage() {
    return "Usage: mochitama [OPTION]... [QT OPTION]...\n"
           "もちたま (mochitama), a Japanese joke game for the desktop: you win by\n"
           "managing to quit it.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the name and version and exit\n"
           "Qt's own options are passed on, among them -platform NAME, -display DISPLAY,\n"
           "-style STYLE, -qwindowgeometry GEOMETRY, -reverse and -session ID.\n"
           "\n"
           "Records (MT.INI): next to the program; for an installed copy (or where\n"
           "the program's directory cannot hold them) in $XDG_DATA_HOME/mochitama/MT.INI,\n"
           "by default ~/.local/share/mochitama/MT.INI. One copy runs per record file.\n"
           "\n"
           "Language: English when the player's languages name English before Japanese,\n"
           "as gettext reads them (LANGUAGE=en, or LANG=en_US.UTF-8); Japanese otherwise.\n"
           "\n"
           "Environment:\n"
           "  LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
           "                   the player's languages: English or Japanese (the default)\n"
           "  XDG_DATA_HOME    where an installed copy keeps its records\n"
           "  HOME             the home, when XDG_DATA_HOME is not set\n"
           "  XDG_RUNTIME_DIR  where the lock that lets one copy run is kept\n"
           "  DISPLAY, WAYLAND_DISPLAY\n"
           "                   the window system: X11 when a display answers, else Wayland\n"
           "  QT_QPA_PLATFORM  Qt's platform, when chosen by hand (xcb, wayland, ...)\n"
           "  QT_SCALE_FACTOR  draws every window that many times larger\n"
           "\n"
           "Exit status: 0 when the game ended (a quit, a surrender, the results);\n"
           "1 when it could not play; 2 for a bad command line.\n"
           "More in mochitama(6).\n";
}

std::string versionLine() { return std::string("mochitama ") + game::kVersion + "\n"; }

}  // namespace app
