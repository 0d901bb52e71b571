#pragma once
// What is settled before the QApplication exists: Qt aborts the process when
// it cannot open its platform, so the program checks first and says why in
// one line.
#include <QtGlobal>
#include <optional>
#include <string>

namespace qt_backend {

// Picks the platform Qt will use and sets QT_QPA_PLATFORM to it. With nothing
// chosen: X11 when a display answers (Wayland does not let a program place
// its windows), else Wayland when a compositor answers and Qt's Wayland
// plugin is installed. A QT_QPA_PLATFORM of the user's (a list of names,
// tried in order) is checked entry by entry. Returns why no platform can be
// used, in one line; nothing when one can.
std::optional<std::string> chooseWindowSystem();

// The file Qt loads for a platform name, e.g. libqxcb.so for xcb.
std::string platformPluginFile(const std::string& name);

// Qt wants $XDG_RUNTIME_DIR and warns at every start without one (a login
// over ssh, a build machine): makes the private directory Qt would fall back
// to, and names it, so that nothing is said.
void ensureRuntimeDirectory();

// While one lives, a fatal error of Qt's (a platform plugin that fails to
// start, a platform without screens) ends the program with one line and exit
// status 1 instead of an abort and a core dump. What Qt says while it starts
// is held back until started(): when starting fails, the one line is all.
class FatalErrorsEndQuietly {
public:
    // The line: "<programName>: cannot open the game window: <why>; <advice>".
    FatalErrorsEndQuietly(std::string programName, std::string advice);
    ~FatalErrorsEndQuietly();
    FatalErrorsEndQuietly(const FatalErrorsEndQuietly&) = delete;
    FatalErrorsEndQuietly& operator=(const FatalErrorsEndQuietly&) = delete;

    // Qt has started: gives on what was held, and everything from now on.
    void started();
    // Ends the program with that line.
    [[noreturn]] static void fail(const std::string& why);
};

}  // namespace qt_backend
