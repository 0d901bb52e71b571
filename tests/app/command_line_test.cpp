// The command line, read before any window system is touched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

using app::Request;

struct Case {
    std::vector<std::string> arguments;
    Request request;
    std::string complaint = {};
    std::string platform = {};
    std::string display = {};
};

std::string shown(const std::vector<std::string>& arguments) {
    std::string line = "mochitama";
    for (const auto& a : arguments) line += " " + a;
    return line;
}

void expectRead(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const app::CommandLine line = app::readCommandLine(c.arguments);
        EXPECT_EQ(line.request, c.request) << shown(c.arguments);
        EXPECT_EQ(line.complaint, c.complaint) << shown(c.arguments);
        EXPECT_EQ(line.platform, c.platform) << shown(c.arguments);
        EXPECT_EQ(line.display, c.display) << shown(c.arguments);
    }
}

TEST(CommandLine, HelpAndVersionAnswerWhereverTheyStand) {
    expectRead({
        {{"--help"}, Request::Help},
        {{"-h"}, Request::Help},
        {{"--version"}, Request::Version},
        {{"-reverse", "--help"}, Request::Help},
        // The value of a Qt option is skipped, not read as an option.
        {{"-style", "fusion", "--version"}, Request::Version},
        // The first that decides wins.
        {{"--version", "--help"}, Request::Version},
        {{"--help", "--no-such-thing"}, Request::Help},
    });
}

TEST(CommandLine, QtsOwnOptionsArePassedOnWithTheirValues) {
    expectRead({
        {{}, Request::Play},
        {{"-platform", "offscreen"}, Request::Play, "", "offscreen"},
        {{"--platform", "wayland"}, Request::Play, "", "wayland"},
        {{"-display", ":3"}, Request::Play, "", "", ":3"},
        {{"-platform", "xcb", "-display", ":7"}, Request::Play, "", "xcb", ":7"},
        {{"-style", "fusion"}, Request::Play},
        {{"-style=fusion"}, Request::Play},
        {{"--style=fusion"}, Request::Play},
        {{"-stylesheet", "a.qss"}, Request::Play},
        {{"-qwindowgeometry", "640x480+0+0"}, Request::Play},
        {{"-qwindowtitle", "x", "-qwindowicon", "y"}, Request::Play},
        {{"-reverse"}, Request::Play},
        {{"-session", "1234_5"}, Request::Play},
        {{"-platformtheme", "gtk3", "-plugin", "evdevkeyboard"}, Request::Play},
        {{"-geometry", "+10+10", "-name", "m", "-title", "t"}, Request::Play},
        {{"-widgetcount", "-nograb"}, Request::Play},
    });
}

TEST(CommandLine, AnythingElseIsRefusedInOneLine) {
    expectRead({
        {{"--bogus"}, Request::Refuse, "unknown option '--bogus'"},
        {{"-x"}, Request::Refuse, "unknown option '-x'"},
        {{"--helpme"}, Request::Refuse, "unknown option '--helpme'"},
        {{"--help=yes"}, Request::Refuse, "unknown option '--help=yes'"},
        {{"-version"}, Request::Refuse, "unknown option '-version'"},
        {{"--platform=xcb"}, Request::Refuse, "unknown option '--platform=xcb'"},
        {{"--"}, Request::Refuse, "unknown option '--'"},
        {{"-"}, Request::Refuse, "unexpected argument '-'"},
        {{"MT.INI"}, Request::Refuse, "unexpected argument 'MT.INI'"},
        {{""}, Request::Refuse, "unexpected argument ''"},
        {{"-platform"}, Request::Refuse, "option '-platform' needs a value"},
        {{"-reverse", "--style"}, Request::Refuse, "option '--style' needs a value"},
        // Refused before a later --help is seen, as getopt programs do.
        {{"--bogus", "--help"}, Request::Refuse, "unknown option '--bogus'"},
    });
}

}  // namespace
