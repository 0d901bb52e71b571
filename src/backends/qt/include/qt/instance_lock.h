#pragma once
// One running copy per record file and user. The lock is an flock on a small
// file; the kernel frees it when the process dies, however it dies, so a crash
// never leaves the game refusing to start.
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace qt_backend {

// The places a lock directory may be found, tried in order.
struct LockPlaces {
    std::string runtimeDirectory;               // $XDG_RUNTIME_DIR as found, perhaps empty
    std::filesystem::path temporaryRoot;        // /tmp
    std::optional<std::filesystem::path> home;  // the account's home, when known

    // This process's: the environment's runtime directory, /tmp, and the home
    // the password database gives the real user (after `su` HOME may still
    // name somebody else's).
    static LockPlaces ofThisProcess();
};

// Where this user's lock files go, so that every copy the user starts finds
// them and nobody else can take or fake them:
// - the runtime directory, when it is an absolute path to a real directory
//   (no link) of the real user's, which the user may write and enter and no
//   group or other may write;
// - else <temporaryRoot>/<programName>-<uid>;
// - else <home>/.cache/<programName>, for when someone else took that name
//   in /tmp first.
// A fallback is made 0700 when missing and used only when it is the user's
// own real directory with mode 0700. Nothing when no place will do.
std::optional<std::filesystem::path> chooseLockDirectory(const std::string& programName, const LockPlaces& places);

// Every directory a copy of this user may have put its lock in: the chosen
// one, and the one chosen without the runtime directory. A copy started after
// `su` that kept the caller's XDG_RUNTIME_DIR locks in the fallback, one from
// the user's own session in the runtime directory; holding both makes each
// see the other. Empty when no place will do.
std::vector<std::filesystem::path> lockDirectories(const std::string& programName, const LockPlaces& places);

class InstanceLock {
public:
    // lockDirectory: where the lock files live (see chooseLockDirectory).
    // programName: the lock file's prefix, as in <programName>-<hash>.lock.
    InstanceLock(std::filesystem::path lockDirectory, const std::string& programName,
                 const std::filesystem::path& recordFile);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock when nobody holds it (Alone), and keeps it until this
    // object goes; later calls say Alone again. AnotherRuns when another
    // process, or another InstanceLock of this one, holds it. CannotTell when
    // the lock file cannot be opened or locked at all.
    platform::InstanceCheck take();

    const std::filesystem::path& lockFile() const { return lockFile_; }

    // The lock file's name for a record file: copies that keep their records
    // apart do not collide, copies that share them do, wherever they live.
    static std::string lockFileName(const std::string& programName, const std::filesystem::path& recordFile);

private:
    std::filesystem::path lockFile_;
    int fd_ = -1;
};

// A lock for each record file asked about, in each lock directory, each kept
// until this object goes: the records may move to a second file during one
// start, and the first must stay guarded meanwhile.
class InstanceLocks {
public:
    using DirectoryChoice = std::function<std::vector<std::filesystem::path>()>;

    InstanceLocks(std::string programName, DirectoryChoice lockDirectory);
    ~InstanceLocks();
    InstanceLocks(const InstanceLocks&) = delete;
    InstanceLocks& operator=(const InstanceLocks&) = delete;

    // AnotherRuns when any of the record file's locks is held elsewhere;
    // Alone only when this copy holds every one of them.
    platform::InstanceCheck check(const std::filesystem::path& recordFile);

private:
    platform::InstanceCheck take(const std::filesystem::path& directory, const std::filesystem::path& recordFile);

    std::string programName_;
    DirectoryChoice lockDirectory_;
    std::map<std::filesystem::path, std::unique_ptr<InstanceLock>> locks_;  // by lock file
};

}  // namespace qt_backend
