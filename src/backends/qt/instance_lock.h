#pragma once
// One running copy per record file and user. The lock is an flock on a small
// file; the kernel frees it when the process dies, however it dies, so a crash
// never leaves the game refusing to start.
#include <filesystem>
#include <string>

namespace qt_backend {

class InstanceLock {
public:
    // lockDirectory: where the lock files live (see defaultLockDirectory).
    // programName: the lock file's prefix, as in <programName>-<hash>.lock.
    InstanceLock(std::filesystem::path lockDirectory, const std::string& programName,
                 const std::filesystem::path& recordFile);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock when nobody holds it. True when another process (or
    // another InstanceLock of this one) holds it. Once taken, the lock stays
    // taken until this object goes away, and later calls say false.
    bool heldElsewhere();

    const std::filesystem::path& lockFile() const { return lockFile_; }

    // $XDG_RUNTIME_DIR, else /tmp/<programName>-<uid> (created 0700, ours alone).
    static std::filesystem::path defaultLockDirectory(const std::string& programName);
    // The lock file's name for a record file: copies that keep their records
    // apart do not collide, copies that share them do, wherever they live.
    static std::string lockFileName(const std::string& programName, const std::filesystem::path& recordFile);

private:
    std::filesystem::path lockFile_;
    int fd_ = -1;
};

}  // namespace qt_backend
