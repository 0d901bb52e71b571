#include "qt/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace qt_backend {

namespace {

// FNV-1a: stable across builds and runs, unlike std::hash.
uint64_t fnv1a(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

bool isPrivateDirectory(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

}  // namespace

std::filesystem::path InstanceLock::defaultLockDirectory(const std::string& programName) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
        std::error_code ec;
        if (std::filesystem::is_directory(runtime, ec)) return runtime;
    }
    const std::filesystem::path fallback = "/tmp/" + programName + "-" + std::to_string(::getuid());
    ::mkdir(fallback.c_str(), 0700);
    return fallback;
}

std::string InstanceLock::lockFileName(const std::string& programName, const std::filesystem::path& recordFile) {
    // Through links, so that two names of one file are one lock.
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(recordFile, ec);
    if (ec) canonical = recordFile;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(fnv1a(canonical.string())));
    return programName + "-" + hex + ".lock";
}

InstanceLock::InstanceLock(std::filesystem::path lockDirectory, const std::string& programName,
                           const std::filesystem::path& recordFile)
    : lockFile_(std::move(lockDirectory) / lockFileName(programName, recordFile)) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::heldElsewhere() {
    if (fd_ >= 0) return false;
    // Someone else's directory under /tmp could be a trap; refuse to use it
    // and let the game start rather than lock it out.
    const std::filesystem::path directory = lockFile_.parent_path();
    if (directory.string().rfind("/tmp/", 0) == 0 && !isPrivateDirectory(directory)) return false;

    const int fd = ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;  // cannot tell: better two copies than none
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy;
    }
    fd_ = fd;
    return false;
}

}  // namespace qt_backend
