#include "platform/ini_file.h"

#include <cerrno>
#include <new>

#include "platform/safe_file.h"

namespace platform::ini {

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::filesystem::path& file) {
    try {
        const FileContents contents = ReadRegularFile(file);
        if (contents.failure) return std::string(fallback);
        if (auto value = findValue(contents.bytes, section, key)) return std::move(*value);
        return std::string(fallback);
    } catch (const std::bad_alloc&) {
        // A file too large to hold reads like a missing one.
        return std::string(fallback);
    }
}

std::optional<Failure> WritePrivateProfileString(std::string_view section, std::string_view key,
                                                 std::string_view value, const std::filesystem::path& file) {
    try {
        FileContents contents = ReadRegularFile(file);
        // A missing file is made with the one key; any other trouble reading
        // it stops the write before the file could be harmed.
        if (contents.failure && contents.failure->error != ENOENT) return contents.failure;
        return ReplaceFile(file, withValue(contents.bytes, section, key, value));
    } catch (const std::bad_alloc&) {
        return Failure::ofSystem("cannot write", ENOMEM);
    } catch (const std::exception& e) {
        return Failure::of(std::string("cannot write: ") + e.what(), Failure::Reason::System);
    }
}

}  // namespace platform::ini
