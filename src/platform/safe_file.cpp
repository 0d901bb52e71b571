#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <system_error>

namespace platform {

namespace {

// Writes all of `bytes`, however the kernel splits the write. Nothing on
// success, else errno.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Writes, flushes to the disk and closes; errno of the first step that
// failed, or 0.
int writeFlushClose(int fd, std::string_view bytes) {
    int error = writeAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

std::filesystem::path directoryOf(const std::filesystem::path& path) {
    const std::filesystem::path directory = path.parent_path();
    return directory.empty() ? std::filesystem::path(".") : directory;
}

// Where the temporary copies of a file start: ".MT.INI." for MT.INI.
std::string temporaryPrefix(const std::filesystem::path& path) {
    std::string prefix = ".";
    prefix.append(path.filename().string()).append(".");
    return prefix;
}

// The mode a newly created file would get. umask can only be read by setting
// it; the game has one thread, so the brief change is harmless.
mode_t newFileMode() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// The temporary file beside the target; removed unless it was renamed into
// place.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    // errno on failure, 0 on success.
    int create(const std::filesystem::path& target) {
        std::string pattern = (directoryOf(target) / temporaryPrefix(target)).string();
        pattern.append("XXXXXX");
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) return errno;
        fd_ = fd;
        path_ = pattern;
        return 0;
    }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // Hands the descriptor over to be closed by the caller.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void renamed() { path_.clear(); }

private:
    int fd_ = -1;
    std::string path_;
};

// Holds back the signals a logout, a closed terminal or `kill` sends while a
// file is being written; they take effect, as before, once it is done.
class TerminationSignalsDeferred {
public:
    TerminationSignalsDeferred() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&held, signal);
        ::sigprocmask(SIG_BLOCK, &held, &before_);
    }
    ~TerminationSignalsDeferred() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
    TerminationSignalsDeferred(const TerminationSignalsDeferred&) = delete;
    TerminationSignalsDeferred& operator=(const TerminationSignalsDeferred&) = delete;

private:
    sigset_t before_;
};

// Not atomic: used only when no file can be made beside the target.
std::optional<Failure> rewriteInPlace(const std::filesystem::path& target, std::string_view bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return Failure::ofSystem("cannot open the file", errno);
    int error = writeAll(fd, bytes);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) return Failure::ofSystem("cannot write", error);
    return std::nullopt;
}

// Why the existing file may not be written, from the most telling reason:
// a read-only disk, a file the player made read-only, no permission.
std::optional<Failure> refusedWrite(const std::filesystem::path& target, const struct stat& st) {
    const int error = ::access(target.c_str(), W_OK) == 0 ? 0 : errno;
    if (error == EROFS) return Failure::ofSystem("cannot write", EROFS);
    // root passes access(W_OK) on any file, so the mode bits are checked too.
    if ((st.st_mode & 0222) == 0) return Failure::of("cannot write", Failure::Reason::ReadOnlyFile);
    if (error != 0) return Failure::ofSystem("cannot write", error);
    return std::nullopt;
}

// Makes the rename itself durable.
std::optional<Failure> flushDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Failure::ofSystem("saved, but cannot flush the directory", errno);
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (error != 0) return Failure::ofSystem("saved, but cannot flush the directory", error);
    return std::nullopt;
}

}  // namespace

bool FileExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

FileContents ReadRegularFile(const std::filesystem::path& path, std::size_t limit) {
    // Non-blocking: a FIFO or a device of that name must not block or flood us.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return {{}, Failure::ofSystem("cannot read the file", errno)};
    FileContents contents;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        contents.failure = Failure::ofSystem("cannot read the file", errno);
    } else if (!S_ISREG(st.st_mode)) {
        contents.failure = Failure::of("cannot read the file", Failure::Reason::NotARegularFile);
    } else {
        // The size on disk is not trusted (a sparse file, a file still
        // growing): at most one byte past the limit is ever read.
        char buffer[65536];
        for (;;) {
            const std::size_t room = limit + 1 - contents.bytes.size();
            const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, room));
            if (n > 0) {
                contents.bytes.append(buffer, static_cast<std::size_t>(n));
                if (contents.bytes.size() > limit) {
                    contents.bytes.clear();
                    contents.failure = Failure::of("cannot read the file", Failure::Reason::TooLarge);
                    break;
                }
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                contents.failure = Failure::ofSystem("cannot read the file", errno);
                break;
            }
        }
    }
    ::close(fd);
    return contents;
}

std::optional<Failure> CreateFileWithLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text.append(line).append("\r\n");

    const TerminationSignalsDeferred whileCreating;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return Failure::ofSystem("cannot create the file", errno);
    if (const int error = writeFlushClose(fd, text); error != 0) {
        ::unlink(path.c_str());
        return Failure::ofSystem("cannot write", error);
    }
    return std::nullopt;
}

std::optional<Failure> ReplaceFile(const std::filesystem::path& path, std::string_view bytes) {
    // Write through a symbolic link to its target rather than replace the link.
    std::filesystem::path target = path;
    std::error_code linkError;
    if (std::filesystem::is_symlink(path, linkError)) {
        target = std::filesystem::canonical(path, linkError);
        if (linkError) return Failure::ofSystem("cannot follow the link", linkError.value());
    }

    mode_t mode = newFileMode();
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) return Failure::of("cannot write", Failure::Reason::NotARegularFile);
        if (const auto refused = refusedWrite(target, st)) return refused;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return Failure::ofSystem("cannot open the file", errno);
    }

    const TerminationSignalsDeferred whileSaving;
    TempFile temp;
    if (const int error = temp.create(target); error != 0) {
        // A writable file in a directory we may not write to: the only way to
        // keep the record is to rewrite the file where it is.
        if (exists && (error == EACCES || error == EPERM)) return rewriteInPlace(target, bytes);
        return Failure::ofSystem("cannot create a temporary file", error);
    }
    // Keep the owner where we may (only root can give a file away); a failure
    // here is not worth losing the save for.
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        [[maybe_unused]] const int ignored = ::fchown(temp.fd(), st.st_uid, st.st_gid);
    }
    if (::fchmod(temp.fd(), mode) != 0) return Failure::ofSystem("cannot set permissions", errno);
    if (const int error = writeFlushClose(temp.release(), bytes); error != 0)
        return Failure::ofSystem("cannot write", error);
    if (::rename(temp.path().c_str(), target.c_str()) != 0) return Failure::ofSystem("cannot replace", errno);
    temp.renamed();
    return flushDirectory(directoryOf(target));
}

void RemoveStaleTemporaries(const std::filesystem::path& path) {
    const std::string prefix = temporaryPrefix(path);
    std::error_code error;
    for (std::filesystem::directory_iterator it(directoryOf(path), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        // Exactly the names our writer makes: the prefix and six characters.
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
            it->is_regular_file(error)) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

}  // namespace platform
