#pragma once
// Files that a crash, a full disk or a player's own links and pipes cannot
// corrupt: read only when regular, created only where nothing is, replaced
// atomically, and what an interrupted replacement left behind cleaned away.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"

namespace platform {

// An ordinary file (not a directory) exists at the path.
bool FileExists(const std::filesystem::path& path);

// The whole file, or why not: error ENOENT when it is missing,
// NotARegularFile for a directory, a FIFO or a device (never waited on),
// TooLarge when it holds more than `limit` bytes (no more than that is read).
struct FileContents {
    std::string bytes;
    std::optional<Failure> failure;
};
FileContents ReadRegularFile(const std::filesystem::path& path, std::size_t limit);

// Both writers below finish what they began before SIGTERM, SIGINT or SIGHUP
// end the program: a file is never left half made, and a save begun is kept.

// Creates a new file holding the lines, each followed by CR LF. Only where
// nothing is yet: never through a link, into a pipe or over a directory. A
// file that could not be written whole is removed again.
std::optional<Failure> CreateFileWithLines(const std::filesystem::path& path, const std::vector<std::string>& lines);

// Gives the file these bytes, atomically: a temporary file beside it,
// flushed, then renamed over it, and the directory flushed. Goes through a
// link to its target; keeps the file's permissions and owner; refuses a file
// the player made read-only and anything that is not a regular file. Where no
// file can be made beside it (a writable file in a directory the player may
// not write) the file is rewritten where it is.
std::optional<Failure> ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

// Removes what an interrupted replacement (a killed program, a power cut)
// left beside `path`: temporary copies that were never renamed over it. Only
// safe while no other writer runs.
void RemoveStaleTemporaries(const std::filesystem::path& path);

}  // namespace platform
