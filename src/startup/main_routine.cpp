#include "startup/main_routine.h"

#include <system_error>

#include "platform/files.h"
#include "platform/ini_file.h"
#include "screens/title/form0.h"
#include "startup/game.h"
#include "startup/records.h"

namespace game {

namespace {

constexpr const char* kRecordFileName = "MT.INI";

// Line 2 puts the credit in column 33.
constexpr const char* kCreditLine = "; MT.INI                        Mochitama Workshop";

// Creates the default record file where nothing is yet. Returns an empty
// string on success, else the reason.
std::string CreateDefaultRecordFile(const std::filesystem::path& path) {
    return platform::CreateFileWithLines(path, DefaultRecordLines());
}

// The record file for this run: next to the program, or, when the program
// is installed system-wide or its directory cannot hold the file, in the
// user's data directory. Ends the program when neither works.
std::filesystem::path LocateRecordFile(Game& game) {
    const auto programDirectory = game.services().ProgramDirectory();
    const auto beside = RecordFilePath(programDirectory);
    if (!InstalledSystemWide(programDirectory) &&
        (platform::FileExists(beside) || CreateDefaultRecordFile(beside).empty()))
        return beside;

    const auto userDirectory = game.services().UserDataDirectory();
    const auto own = RecordFilePath(userDirectory);
    if (platform::FileExists(own)) return own;
    std::error_code dirError;
    std::filesystem::create_directories(userDirectory, dirError);
    const std::string error = dirError ? dirError.message() : CreateDefaultRecordFile(own);
    if (error.empty()) return own;

    game.MsgBox("記録ファイルを作れませんでした\r\n" + own.string() + "\r\n" + error, ".INI Create Error",
                platform::MsgIcon::Critical);
    game.End();
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

void Main(Game& game) {
    GameState& s = game.state;
    s.VerNo = kVersion;
    if (game.services().PreviousInstance()) {
        game.MsgBox("『もちたま』の二重起動は出来ません", "二重起動ERROR", platform::MsgIcon::Critical);
        game.End();
    }
    s.IniPath = LocateRecordFile(game);
    // Only this copy runs: what an interrupted save left behind can go.
    platform::ini::RemoveStaleTemporaries(s.IniPath);
    ReadRecords(game);
    Form0& title = game.form0();
    title.Show();
    // The title window's two seconds count from here.
    title.Timer1.setEnabled(true);
    title.Timer1.setInterval(2000);
}

}  // namespace game
