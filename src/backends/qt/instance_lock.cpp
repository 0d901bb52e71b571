#include "qt/instance_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace qt_backend {

namespace {

using platform::InstanceCheck;

// FNV-1a: stable across builds and runs, unlike std::hash.
uint64_t fnv1a(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// The runtime directory (and the home) need not be 0700; but one this user
// cannot write would switch the guard off, and one that others can write
// would let them lock the game out.
bool isOwnWritableDirectory(const std::filesystem::path& path) {
    if (!path.is_absolute()) return false;
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 && ::access(path.c_str(), W_OK | X_OK) == 0;
}

// A fallback is ours alone: in /tmp anyone may have made it first.
bool isPrivateDirectory(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 07777) == 0700 && ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::filesystem::path> privateDirectory(const std::filesystem::path& path) {
    ::mkdir(path.c_str(), 0700);  // may exist already; checked either way
    if (isPrivateDirectory(path)) return path;
    return std::nullopt;
}

std::optional<std::filesystem::path> accountHome() {
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return std::nullopt;
    return std::filesystem::path(found->pw_dir);
}

}  // namespace

LockPlaces LockPlaces::ofThisProcess() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return {runtime != nullptr ? runtime : "", "/tmp", accountHome()};
}

std::optional<std::filesystem::path> chooseLockDirectory(const std::string& programName, const LockPlaces& places) {
    if (!places.runtimeDirectory.empty() && isOwnWritableDirectory(places.runtimeDirectory))
        return std::filesystem::path(places.runtimeDirectory);
    if (auto tmp = privateDirectory(places.temporaryRoot / (programName + "-" + std::to_string(::getuid())))) return tmp;
    if (places.home && isOwnWritableDirectory(*places.home)) {
        const std::filesystem::path cache = *places.home / ".cache";
        ::mkdir(cache.c_str(), 0700);
        return privateDirectory(cache / programName);
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> lockDirectories(const std::string& programName, const LockPlaces& places) {
    std::vector<std::filesystem::path> found;
    LockPlaces withoutRuntime = places;
    withoutRuntime.runtimeDirectory.clear();
    for (const LockPlaces& tried : {places, withoutRuntime}) {
        const auto directory = chooseLockDirectory(programName, tried);
        if (directory && std::find(found.begin(), found.end(), *directory) == found.end()) found.push_back(*directory);
    }
    return found;
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

InstanceCheck InstanceLock::take() {
    if (fd_ >= 0) return InstanceCheck::Alone;
    const int fd = ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return InstanceCheck::CannotTell;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? InstanceCheck::AnotherRuns : InstanceCheck::CannotTell;
    }
    fd_ = fd;
    return InstanceCheck::Alone;
}

InstanceLocks::InstanceLocks(std::string programName, DirectoryChoice lockDirectory)
    : programName_(std::move(programName)), lockDirectory_(std::move(lockDirectory)) {}

InstanceLocks::~InstanceLocks() = default;

InstanceCheck InstanceLocks::check(const std::filesystem::path& recordFile) {
    const std::vector<std::filesystem::path> directories = lockDirectory_();
    if (directories.empty()) return InstanceCheck::CannotTell;
    InstanceCheck answer = InstanceCheck::Alone;
    for (const auto& directory : directories) {
        const InstanceCheck one = take(directory, recordFile);
        if (one == InstanceCheck::AnotherRuns) return one;
        if (one == InstanceCheck::CannotTell) answer = one;
    }
    return answer;
}

InstanceCheck InstanceLocks::take(const std::filesystem::path& directory, const std::filesystem::path& recordFile) {
    auto lock = std::make_unique<InstanceLock>(directory, programName_, recordFile);
    auto& kept = locks_[lock->lockFile()];
    if (!kept) kept = std::move(lock);
    return kept->take();
}

}  // namespace qt_backend
