#include "support/scratch.h"

#include <sys/stat.h>

#include <system_error>

namespace script {

bool EveryoneMayPassThrough(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(path, ec);
    if (ec) return false;
    std::filesystem::path walked = real.root_path();
    for (const auto& part : real.relative_path()) {
        walked /= part;
        struct stat info {};
        if (::stat(walked.c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0) return false;
    }
    return true;
}

std::filesystem::path ScratchRoot() {
    std::error_code ec;
    const std::filesystem::path preferred = std::filesystem::temp_directory_path(ec);
    if (!ec && EveryoneMayPassThrough(preferred)) return preferred;
    for (const char* fallback : {"/tmp", "/var/tmp"})
        if (EveryoneMayPassThrough(fallback)) return fallback;
    return ec ? std::filesystem::path("/tmp") : preferred;
}

}  // namespace script
