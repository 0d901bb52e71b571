#include "startup/record_file_place.h"

#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

#include "platform/safe_file.h"
#include "hub/game.h"
#include "hub/records.h"

namespace game {

namespace {

constexpr const char* kRecordFileName = "MT.INI";

// Line 2 puts the credit in column 33.
constexpr const char* kCreditLine = "; MT.INI                        Mochitama Workshop";

// Something that is not a record file holds the name: a directory, a FIFO,
// a link to nowhere. It is the player's, and left alone.
bool NameTakenByOtherThing(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && !platform::FileExists(path);
}

bool MayCreateFilesIn(const std::filesystem::path& directory) {
    return ::access(directory.c_str(), W_OK | X_OK) == 0;
}

// Makes the default file at `path`, its directory too.
std::optional<platform::Failure> CreateDefaultRecordFile(const std::filesystem::path& path) {
    std::error_code dirError;
    std::filesystem::create_directories(path.parent_path(), dirError);
    if (dirError) return platform::Failure::ofSystem("cannot create the folder", dirError.value());
    return platform::CreateFileWithLines(path, DefaultRecordLines());
}

}  // namespace

bool InstalledSystemWide(const std::filesystem::path& programDirectory) {
    // An install puts the program in <prefix>/bin and its metadata in <prefix>/share.
    return platform::FileExists(programDirectory / ".." / "share" / "metainfo" / kMetainfoFile);
}

std::filesystem::path RecordFilePath(const std::filesystem::path& directory) {
    return directory / kRecordFileName;
}

std::vector<std::string> DefaultRecordLines() {
    return {";", kCreditLine, ";", "[Kousan]", "Kaisu = 0", "", "[Tyutai]", "Kaisu = 0", "", "[Time]", "1st = 9999"};
}

std::filesystem::path ChooseRecordFile(Game& game) {
    const auto programDirectory = game.services().ProgramDirectory();
    const auto beside = RecordFilePath(programDirectory);
    const auto own = RecordFilePath(game.services().UserDataDirectory());
    if (InstalledSystemWide(programDirectory)) return own;
    if (platform::FileExists(beside)) return beside;
    if (NameTakenByOtherThing(beside) || !MayCreateFilesIn(programDirectory)) return own;
    return beside;
}

std::filesystem::path EnsureRecordFile(Game& game, const std::filesystem::path& chosen) {
    // When the program's directory looked writable but was not (a full disk,
    // a race), the user's own directory is the next place.
    std::vector<std::filesystem::path> places = {chosen};
    if (const auto own = RecordFilePath(game.services().UserDataDirectory()); own != chosen) places.push_back(own);
    std::optional<platform::Failure> failure;
    for (const auto& place : places) {
        if (platform::FileExists(place)) return place;
        failure = CreateDefaultRecordFile(place);
        if (!failure) return place;
    }
    game.MsgBox("記録ファイルを作れませんでした\r\n" + places.back().string() + "\r\n" + FailureText(*failure),
                ".INI Create Error", platform::MsgIcon::Critical);
    game.End();
}

}  // namespace game
