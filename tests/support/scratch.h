#pragma once
// Where tests make their throwaway directories. Some tests hand a directory to
// an unprivileged user, so the place must be one every user can pass through:
// $TMPDIR may be a private 0700 directory (pam_tmpdir, a home below 0700).
#include <filesystem>

namespace script {

// $TMPDIR (or /tmp) when every directory on its way lets others pass through,
// else the first of /tmp and /var/tmp that does.
std::filesystem::path ScratchRoot();

// Whether a user who is neither owner nor in the group may pass through
// every directory from the root down to `path`.
bool EveryoneMayPassThrough(const std::filesystem::path& path);

}  // namespace script
