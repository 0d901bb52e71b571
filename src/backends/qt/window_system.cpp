#include "qt/window_system.h"

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLibraryInfo>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <utility>
#include <vector>

#include "qt/x11.h"

namespace qt_backend {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        if (!part.empty()) parts.push_back(part);
    return parts;
}

// Where Qt looks for platform plugins, in its own order.
std::vector<std::filesystem::path> pluginDirectories() {
    std::vector<std::filesystem::path> found;
    for (const std::string& d : split(environment("QT_QPA_PLATFORM_PLUGIN_PATH"), ':')) found.emplace_back(d);
    for (const std::string& d : split(environment("QT_PLUGIN_PATH"), ':'))
        found.push_back(std::filesystem::path(d) / "platforms");
    found.push_back(std::filesystem::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) / "platforms");
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) found.push_back(exe.parent_path() / "platforms");
    return found;
}

bool pluginInstalled(const std::string& name) {
    const std::string file = platformPluginFile(name);
    std::error_code ec;
    for (const auto& directory : pluginDirectories())
        if (std::filesystem::is_regular_file(directory / file, ec)) return true;
    return false;
}

// The compositor's socket, as the Wayland client library finds it.
std::string waylandSocketPath() {
    std::string name = environment("WAYLAND_DISPLAY");
    if (name.empty()) name = "wayland-0";
    if (name.front() == '/') return name;
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    return runtime.empty() ? std::string() : runtime + "/" + name;
}

// Connects to the compositor's socket and hangs up: the Wayland plugin
// aborts the process when nobody answers there.
std::optional<std::string> unreachableWayland() {
    const std::string path = waylandSocketPath();
    if (path.empty()) return "XDG_RUNTIME_DIR is not set, so the Wayland display cannot be found";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return "the Wayland socket path is too long: " + path;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::string("cannot make a socket: ") + std::strerror(errno);
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    ::close(fd);
    if (answered) return std::nullopt;
    return "cannot connect to the Wayland display " + path + " (" + std::strerror(error) + ")";
}

bool isWayland(const std::string& name) { return name.rfind("wayland", 0) == 0; }

// Why the platform named by one entry of QT_QPA_PLATFORM ("name:options")
// cannot be used; nothing when it can.
std::optional<std::string> unusable(const std::string& entry) {
    const std::string name = entry.substr(0, entry.find(':'));
    if (!pluginInstalled(name)) {
        const char* package = isWayland(name) ? " (Debian package qt6-wayland)" : "";
        return "Qt's platform plugin \"" + name + "\" is not installed" + package;
    }
    if (name == "xcb") {
        if (environment("DISPLAY").empty()) return "DISPLAY is not set";
        return unreachableXDisplay();
    }
    if (isWayland(name)) return unreachableWayland();
    return std::nullopt;
}

bool waylandIsOffered() {
    return !environment("WAYLAND_DISPLAY").empty() ||
           (!environment("XDG_RUNTIME_DIR").empty() && std::filesystem::exists(waylandSocketPath()));
}

void choose(const std::string& entry) { ::setenv("QT_QPA_PLATFORM", entry.c_str(), 1); }

// Nothing asked for: X11 first, then Wayland.
std::optional<std::string> chooseByDisplay() {
    std::optional<std::string> whyNotX;
    if (!environment("DISPLAY").empty()) {
        whyNotX = unusable("xcb");
        if (!whyNotX) {
            choose("xcb");
            return std::nullopt;
        }
    }
    if (waylandIsOffered()) {
        const std::optional<std::string> whyNotWayland = unusable("wayland");
        if (!whyNotWayland) {
            choose("wayland");
            return std::nullopt;
        }
        return whyNotX ? *whyNotX + "; " + *whyNotWayland : *whyNotWayland;
    }
    return whyNotX ? *whyNotX : "neither DISPLAY nor WAYLAND_DISPLAY is set";
}

// What the handler needs while a FatalErrorsEndQuietly lives.
struct QuietFatals {
    std::string programName;
    std::string advice;
    QtMessageHandler previous = nullptr;
    bool starting = true;
    // What Qt said while starting, given on once it has started.
    std::vector<std::pair<QtMsgType, QString>> held;
};
QuietFatals quietFatals;

void passOn(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (quietFatals.previous != nullptr) {
        quietFatals.previous(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

void endQuietlyOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) FatalErrorsEndQuietly::fail(message.section(QLatin1Char('\n'), 0, 0).trimmed().toStdString());
    if (quietFatals.starting) {
        quietFatals.held.emplace_back(type, message);
    } else {
        passOn(type, context, message);
    }
}

}  // namespace

std::string platformPluginFile(const std::string& name) {
    // The only plugin whose file is not named after its key.
    if (name == "wayland") return "libqwayland-generic.so";
    return "libq" + name + ".so";
}

std::optional<std::string> chooseWindowSystem() {
    const std::string asked = environment("QT_QPA_PLATFORM");
    if (asked.empty()) return chooseByDisplay();
    std::string why;
    for (const std::string& entry : split(asked, ';')) {
        const std::optional<std::string> reason = unusable(entry);
        if (!reason) {
            // Only this one: Qt would abort on a later entry that fails.
            choose(entry);
            return std::nullopt;
        }
        why += (why.empty() ? "" : "; ") + *reason;
    }
    return why.empty() ? "QT_QPA_PLATFORM names no platform" : why;
}

void ensureRuntimeDirectory() {
    if (!environment("XDG_RUNTIME_DIR").empty()) return;
    const passwd* user = ::getpwuid(::geteuid());
    if (user == nullptr) return;
    std::string base = environment("TMPDIR");
    if (base.empty()) base = "/tmp";
    const std::string path = base + "/runtime-" + user->pw_name;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return;
    struct stat info {};
    // Only a real directory of our own, never one through a link.
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return;
    if ((info.st_mode & 0777) != 0700 && ::chmod(path.c_str(), 0700) != 0) return;
    ::setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
}

FatalErrorsEndQuietly::FatalErrorsEndQuietly(std::string programName, std::string advice) {
    quietFatals = QuietFatals{std::move(programName), std::move(advice), nullptr, true, {}};
    quietFatals.previous = qInstallMessageHandler(endQuietlyOnFatal);
}

FatalErrorsEndQuietly::~FatalErrorsEndQuietly() {
    started();
    qInstallMessageHandler(quietFatals.previous);
}

void FatalErrorsEndQuietly::started() {
    quietFatals.starting = false;
    std::vector<std::pair<QtMsgType, QString>> held;
    held.swap(quietFatals.held);
    for (const auto& [type, message] : held) passOn(type, QMessageLogContext(), message);
}

void FatalErrorsEndQuietly::fail(const std::string& why) {
    std::fprintf(stderr, "%s: cannot open the game window: %s%s%s\n", quietFatals.programName.c_str(), why.c_str(),
                 quietFatals.advice.empty() ? "" : "; ", quietFatals.advice.c_str());
    std::fflush(stderr);
    ::_exit(1);
}

}  // namespace qt_backend
