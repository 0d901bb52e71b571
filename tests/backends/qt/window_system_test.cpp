// Choosing the window system before Qt starts: X11, then Wayland, an explicit
// choice checked entry by entry, and one line of reason when nothing works.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "qt/window_system.h"

namespace qt_test {
namespace {

namespace fs = std::filesystem;

// Sets environment variables for one test and puts them back afterwards.
class Environment {
public:
    Environment() {
        // A clean slate: nothing of the tester's session leaks in.
        for (const char* name : {"QT_QPA_PLATFORM", "QT_QPA_PLATFORM_PLUGIN_PATH", "QT_PLUGIN_PATH", "DISPLAY",
                                 "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "TMPDIR"})
            set(name, nullptr);
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    void set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    void set(const char* name, const fs::path& value) { set(name, value.c_str()); }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

std::string chosen() {
    const char* value = std::getenv("QT_QPA_PLATFORM");
    return value != nullptr ? value : "(none)";
}

class WindowSystem : public ::testing::Test {
protected:
    WindowSystem() {
        char pattern[] = "/tmp/mochitama-ws-XXXXXX";
        dir = ::mkdtemp(pattern);
    }
    ~WindowSystem() override {
        if (listener >= 0) ::close(listener);
        fs::remove_all(dir);
    }

    // A socket in a runtime directory that answers as a compositor's would.
    void compositorListening(const char* name) {
        env.set("XDG_RUNTIME_DIR", dir);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, (dir / name).c_str());
        listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener, 4), 0);
    }

    Environment env;
    fs::path dir;
    int listener = -1;
};

TEST_F(WindowSystem, NoDisplayAtAllIsToldInOneLine) {
    EXPECT_EQ(qt_backend::chooseWindowSystem(), "neither DISPLAY nor WAYLAND_DISPLAY is set");
    env.set("DISPLAY", "");
    EXPECT_EQ(qt_backend::chooseWindowSystem(), "neither DISPLAY nor WAYLAND_DISPLAY is set");
    EXPECT_EQ(chosen(), "(none)");
}

TEST_F(WindowSystem, AnXDisplayThatDoesNotAnswerIsToldEvenWhenAskedFor) {
    env.set("DISPLAY", ":4711");
    EXPECT_EQ(qt_backend::chooseWindowSystem(), "cannot connect to the X display :4711");
    EXPECT_EQ(chosen(), "(none)");
    env.set("QT_QPA_PLATFORM", "xcb");
    EXPECT_EQ(qt_backend::chooseWindowSystem(), "cannot connect to the X display :4711");
}

TEST_F(WindowSystem, AWaylandOnlySessionGetsTheWaylandPlatform) {
    compositorListening("wayland-7");
    env.set("WAYLAND_DISPLAY", "wayland-7");
    EXPECT_EQ(qt_backend::chooseWindowSystem(), std::nullopt);
    EXPECT_EQ(chosen(), "wayland");
}

TEST_F(WindowSystem, AnXDisplayThatDoesNotAnswerFallsBackToWayland) {
    compositorListening("wayland-0");
    env.set("DISPLAY", ":4711");
    // No WAYLAND_DISPLAY: the client library's default name in the runtime directory.
    EXPECT_EQ(qt_backend::chooseWindowSystem(), std::nullopt);
    EXPECT_EQ(chosen(), "wayland");
}

TEST_F(WindowSystem, AWaylandDisplayNobodyAnswersIsTold) {
    env.set("XDG_RUNTIME_DIR", dir);
    env.set("WAYLAND_DISPLAY", "wayland-9");
    const std::optional<std::string> why = qt_backend::chooseWindowSystem();
    ASSERT_TRUE(why.has_value());
    EXPECT_EQ(why->rfind("cannot connect to the Wayland display " + (dir / "wayland-9").string(), 0), 0u) << *why;
    env.set("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(qt_backend::chooseWindowSystem(), "XDG_RUNTIME_DIR is not set, so the Wayland display cannot be found");
}

TEST_F(WindowSystem, AnExplicitListIsTriedInOrderAndOnlyTheUsableEntryIsKept) {
    env.set("QT_QPA_PLATFORM", "nosuchplatform;xcb;offscreen:fontengine=freetype");
    env.set("DISPLAY", ":4711");
    EXPECT_EQ(qt_backend::chooseWindowSystem(), std::nullopt);
    EXPECT_EQ(chosen(), "offscreen:fontengine=freetype");
}

TEST_F(WindowSystem, AnExplicitPlatformWithoutItsPluginIsTold) {
    env.set("QT_QPA_PLATFORM", "nosuchplatform");
    EXPECT_EQ(qt_backend::chooseWindowSystem(), "Qt's platform plugin \"nosuchplatform\" is not installed");
    // A plugin directory of the user's counts as Qt counts it.
    fs::create_directories(dir / "platforms");
    std::ofstream(dir / "platforms" / "libqnosuchplatform.so") << "not really a plugin";
    env.set("QT_PLUGIN_PATH", dir);
    EXPECT_EQ(qt_backend::chooseWindowSystem(), std::nullopt);
}

TEST(PlatformPluginFile, IsNamedAfterTheKeyButForWayland) {
    EXPECT_EQ(qt_backend::platformPluginFile("xcb"), "libqxcb.so");
    EXPECT_EQ(qt_backend::platformPluginFile("wayland"), "libqwayland-generic.so");
    EXPECT_EQ(qt_backend::platformPluginFile("wayland-egl"), "libqwayland-egl.so");
}

TEST_F(WindowSystem, TheRuntimeDirectoryIsMadePrivateAndNamed) {
    env.set("TMPDIR", dir);
    qt_backend::ensureRuntimeDirectory();
    const char* made = std::getenv("XDG_RUNTIME_DIR");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(fs::path(made).parent_path(), dir);
    struct stat info {};
    ASSERT_EQ(::lstat(made, &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // One the session named is left alone.
    env.set("XDG_RUNTIME_DIR", "/run/user/4711");
    qt_backend::ensureRuntimeDirectory();
    EXPECT_STREQ(std::getenv("XDG_RUNTIME_DIR"), "/run/user/4711");
}

TEST_F(WindowSystem, ARuntimeDirectoryPlantedAsALinkIsNotUsed) {
    env.set("TMPDIR", dir);
    fs::create_directory(dir / "elsewhere");
    const passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    fs::create_directory_symlink(dir / "elsewhere", dir / (std::string("runtime-") + user->pw_name));
    qt_backend::ensureRuntimeDirectory();
    EXPECT_EQ(std::getenv("XDG_RUNTIME_DIR"), nullptr);
}

}  // namespace
}  // namespace qt_test
