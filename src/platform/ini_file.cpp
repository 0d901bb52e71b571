#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <system_error>
#include <utility>

namespace platform::ini {

namespace {

// ---- Text ------------------------------------------------------------------

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

// One line of the file as offsets into the text: [begin, contentEnd) is the
// line without its line end, [contentEnd, end) the CR LF, LF or nothing.
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
    bool hasLineEnd() const { return end != contentEnd; }
};

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool next(Line& line) {
        if (pos_ >= text_.size()) return false;
        line.begin = pos_;
        const std::size_t lf = text_.find('\n', pos_);
        if (lf == std::string_view::npos) {
            line.contentEnd = line.end = text_.size();
        } else {
            line.end = lf + 1;
            line.contentEnd = (lf > pos_ && text_[lf - 1] == '\r') ? lf - 1 : lf;
        }
        pos_ = line.end;
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

enum class LineKind { Other, Comment, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name, blanks trimmed
    std::string_view value;  // key value, blanks trimmed
};

ParsedLine parseLine(std::string_view text, const Line& line) {
    std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
    // An editor's BOM must not hide a section header on the first line.
    if (line.begin == 0 && content.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        content.remove_prefix(kUtf8Bom.size());
    }
    const std::string_view trimmed = trimBlanks(content);
    ParsedLine parsed;
    if (trimmed.empty()) return parsed;
    if (trimmed.front() == ';') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (trimmed.front() == '[') {
        // The name runs to the last "]"; an unclosed header still opens a
        // section, so its lines never leak into the section before it.
        std::string_view name = trimmed.substr(1);
        const std::size_t close = name.rfind(']');
        if (close != std::string_view::npos) name = name.substr(0, close);
        parsed.kind = LineKind::Section;
        parsed.name = trimBlanks(name);
        return parsed;
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) return parsed;
    parsed.kind = LineKind::Key;
    parsed.name = trimBlanks(content.substr(0, equals));
    parsed.value = trimBlanks(content.substr(equals + 1));
    return parsed;
}

std::string cleanValue(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kMaxValueLength));
}

std::string keyLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 1);
    line.append(key).append("=").append(value);
    return line;
}

// ---- Files -----------------------------------------------------------------

enum class ReadResult { Ok, Missing, Failed };

// The whole file as bytes. Only regular files are read: a FIFO or a device
// named MT.INI must not block or flood us.
ReadResult readFile(const std::filesystem::path& file, std::string& bytes, int& error) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return error == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    ReadResult result = ReadResult::Ok;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errno;
        result = ReadResult::Failed;
    } else if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        result = ReadResult::Failed;
    } else {
        bytes.clear();
        if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                bytes.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                error = errno;
                result = ReadResult::Failed;
                break;
            }
        }
    }
    ::close(fd);
    return result;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The mode a newly created file would get. umask can only be read by setting
// it; the game has one thread, so the brief change is harmless.
mode_t newFileMode() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// Removes the temporary file unless it was renamed into place.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    // Returns errno on failure, 0 on success.
    int create(const std::filesystem::path& target) {
        std::filesystem::path directory = target.parent_path();
        if (directory.empty()) directory = ".";
        std::string name = ".";
        name += target.filename().string();
        name += ".XXXXXX";
        std::string pattern = (directory / name).string();
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) return errno;
        fd_ = fd;
        path_ = pattern;
        return 0;
    }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    // Returns errno on failure, 0 on success.
    int close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }
    void release() { path_.clear(); }

private:
    int fd_ = -1;
    std::string path_;
};

// Not atomic: used only when no file can be made beside the record file.
std::optional<Failure> rewriteInPlace(const std::filesystem::path& target, const std::string& updated) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return Failure::ofSystem("cannot open the file", errno);
    int error = 0;
    if (!writeAll(fd, updated)) error = errno;
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(updated.size())) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) return Failure::ofSystem("cannot write", error);
    return std::nullopt;
}

std::optional<Failure> writeValue(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& file) {
    // Write through a symbolic link to its target rather than replace the link.
    std::filesystem::path target = file;
    std::error_code linkError;
    if (std::filesystem::is_symlink(file, linkError)) {
        target = std::filesystem::canonical(file, linkError);
        if (linkError) return Failure::ofSystem("cannot follow the link", linkError.value());
    }

    std::string text;
    mode_t mode = 0;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) return Failure::of("cannot write", Failure::Reason::NotARegularFile);
        // root passes access(W_OK) on any file, so the mode bits are checked too.
        if (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0) {
            return Failure::of("cannot write", Failure::Reason::ReadOnlyFile);
        }
        int readError = 0;
        if (readFile(target, text, readError) != ReadResult::Ok) {
            return Failure::ofSystem("cannot read the file", readError);
        }
        mode = st.st_mode & 07777;
    } else if (errno == ENOENT) {
        mode = newFileMode();
    } else {
        return Failure::ofSystem("cannot open the file", errno);
    }

    const std::string updated = withValue(text, section, key, value);

    TempFile temp;
    if (const int error = temp.create(target); error != 0) {
        // A writable file in a directory we may not write to: the only way to
        // keep the record is to rewrite the file where it is.
        if (exists && (error == EACCES || error == EPERM)) return rewriteInPlace(target, updated);
        return Failure::ofSystem("cannot create a temporary file", error);
    }
    if (!writeAll(temp.fd(), updated)) return Failure::ofSystem("cannot write", errno);
    if (::fsync(temp.fd()) != 0) return Failure::ofSystem("cannot flush", errno);
    // Keep the owner where we may (only root can give a file away); a failure
    // here is not worth losing the save for.
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        [[maybe_unused]] const int ignored = ::fchown(temp.fd(), st.st_uid, st.st_gid);
    }
    if (::fchmod(temp.fd(), mode) != 0) return Failure::ofSystem("cannot set permissions", errno);
    if (const int error = temp.close(); error != 0) return Failure::ofSystem("cannot write", error);
    if (::rename(temp.path().c_str(), target.c_str()) != 0) return Failure::ofSystem("cannot replace", errno);
    temp.release();

    // Make the rename itself durable.
    std::filesystem::path directory = target.parent_path();
    if (directory.empty()) directory = ".";
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return Failure::ofSystem("saved, but cannot flush the directory", errno);
    const int syncError = ::fsync(dirFd) == 0 ? 0 : errno;
    ::close(dirFd);
    if (syncError != 0) return Failure::ofSystem("saved, but cannot flush the directory", syncError);
    return std::nullopt;
}

}  // namespace

void RemoveStaleTemporaries(const std::filesystem::path& file) {
    std::filesystem::path directory = file.parent_path();
    if (directory.empty()) directory = ".";
    std::string prefix = ".";
    prefix.append(file.filename().string()).append(".");
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        // Exactly the names our writer makes: the prefix and six characters.
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
            it->is_regular_file(error)) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

std::optional<std::string> findValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    LineReader reader(text);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        const ParsedLine parsed = parseLine(text, line);
        if (parsed.kind == LineKind::Section) {
            // Only the first section of that name counts.
            if (inSection) return std::nullopt;
            inSection = equalsIgnoringCase(parsed.name, section);
        } else if (inSection && parsed.kind == LineKind::Key &&
                   equalsIgnoringCase(parsed.name, key)) {
            return cleanValue(parsed.value);
        }
    }
    return std::nullopt;
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
    LineReader reader(text);
    Line line;
    bool inSection = false;
    bool sectionFound = false;
    Line insertAfter;  // the section's header or last key line
    while (reader.next(line)) {
        const ParsedLine parsed = parseLine(text, line);
        if (parsed.kind == LineKind::Section) {
            if (inSection) break;
            if (equalsIgnoringCase(parsed.name, section)) {
                inSection = sectionFound = true;
                insertAfter = line;
            }
        } else if (inSection && parsed.kind == LineKind::Key) {
            if (equalsIgnoringCase(parsed.name, key)) {
                std::string result;
                result.reserve(text.size() + value.size());
                result.append(text.substr(0, line.begin));
                result.append(keyLine(parsed.name, value));
                result.append(text.substr(line.contentEnd));
                return result;
            }
            insertAfter = line;
        }
    }

    std::string result;
    result.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    if (sectionFound) {
        result.append(text.substr(0, insertAfter.end));
        if (!insertAfter.hasLineEnd()) result.append(kNewLine);
        result.append(keyLine(key, value)).append(kNewLine);
        result.append(text.substr(insertAfter.end));
        return result;
    }
    result.append(text);
    if (!text.empty() && text.back() != '\n') result.append(kNewLine);
    result.append("[").append(section).append("]").append(kNewLine);
    result.append(keyLine(key, value)).append(kNewLine);
    return result;
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::filesystem::path& file) {
    try {
        std::string text;
        int error = 0;
        if (readFile(file, text, error) != ReadResult::Ok) return std::string(fallback);
        if (auto value = findValue(text, section, key)) return std::move(*value);
        return std::string(fallback);
    } catch (const std::bad_alloc&) {
        // A file too large to hold reads like a missing one.
        return std::string(fallback);
    }
}

std::optional<Failure> WritePrivateProfileString(std::string_view section, std::string_view key,
                                                 std::string_view value, const std::filesystem::path& file) {
    try {
        return writeValue(section, key, value, file);
    } catch (const std::bad_alloc&) {
        return Failure::ofSystem("cannot write", ENOMEM);
    } catch (const std::exception& e) {
        return Failure::of(std::string("cannot write: ") + e.what(), Failure::Reason::System);
    }
}

}  // namespace platform::ini
