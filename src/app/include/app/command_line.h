#pragma once
// What the command line asks for, settled before any window system is
// touched: --help and --version must answer without a display.
#include <string>
#include <vector>

namespace app {

enum class Request {
    Play,     // start the game; Qt's own options are left for QApplication
    Help,     // print usage() and end with status 0
    Version,  // print versionLine() and end with status 0
    Refuse,   // print the complaint and the hint, end with status 2
};

struct CommandLine {
    Request request = Request::Play;
    std::string complaint;  // for Refuse: one line, without the program's name
    // Qt's -platform and -display, if given: the window-system check before
    // Qt starts must look at what Qt will be asked for.
    std::string platform;
    std::string display;
};

// Reads the arguments after the program's name. Each argument is read in
// turn and the first of --help, --version or an unknown one decides.
// Anything that starts with '-' and is neither ours nor Qt's is unknown;
// so is anything else, since the game takes no arguments.
CommandLine readCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string usage();
// The line --version prints.
std::string versionLine();

// Exit status for a refused command line, as for any Linux command.
inline constexpr int kUsageStatus = 2;

}  // namespace app
