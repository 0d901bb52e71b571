// Start-up: the record file, the records, a second copy.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "startup/game_windows.h"
#include "startup/main_routine.h"
#include "startup/record_file_place.h"
#include "hub/records.h"
#include "support/game_script.h"

namespace script {
namespace {

using StartUp = GameScript;

TEST_F(StartUp, FirstStartWritesTheElevenDefaultLinesAndReadsThem) {
    start();
    EXPECT_EQ(readIni(), DefaultRecordText());
    EXPECT_EQ(state().VerNo, "1.10");
    EXPECT_EQ(state().KousanCount, 0);
    EXPECT_EQ(state().TyutaiCount, 0);
    EXPECT_EQ(state().BestTime, 9999.0f);
    EXPECT_FALSE(state().IniMissing);
    EXPECT_TRUE(form0().visible());
}

// A player who opens the new record file in a text editor sees the credit
// lined up in column 33 of line 2.
TEST_F(StartUp, TheFileAFirstStartWritesHasTheCreditInColumn33OfLine2) {
    start();
    const std::string bytes = readIni();
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "a line without CR LF at byte " << at;
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[1].substr(0, 8), "; MT.INI");
    EXPECT_EQ(lines[1].find_first_not_of(' ', 8), 32u);
    EXPECT_EQ(lines[1].substr(32), "Mochitama Workshop");
}

TEST_F(StartUp, ExistingFileIsReadAndLeftUntouched) {
    const std::string mine = "[kousan]\nKaisu=12\n[TYUTAI]\nkaisu = 3\n[Time]\n1st = 83.5\n";
    writeIni(mine);
    start();
    EXPECT_EQ(readIni(), mine);
    EXPECT_EQ(state().KousanCount, 12);
    EXPECT_EQ(state().TyutaiCount, 3);
    EXPECT_EQ(state().BestTime, 83.5f);
}

TEST_F(StartUp, ValuesThatAreNotNumbersReadAsTheDefaults) {
    writeIni("[Kousan]\r\nKaisu = lots\r\n[Tyutai]\r\nKaisu = 99999999999\r\n[Time]\r\n1st = NaN\r\n");
    start();
    EXPECT_EQ(state().KousanCount, 0);
    EXPECT_EQ(state().TyutaiCount, 0);
    EXPECT_EQ(state().BestTime, 9999.0f);
}

TEST_F(StartUp, MissingKeysReadAsTheDefaults) {
    writeIni("; nothing here\r\n");
    start();
    EXPECT_EQ(state().KousanCount, 0);
    EXPECT_EQ(state().BestTime, 9999.0f);
}

TEST_F(StartUp, SecondCopyShowsOnlyTheBoxAndTouchesNothing) {
    host.instanceCheck = platform::InstanceCheck::AnotherRuns;
    box("二重起動ERROR", "『もちたま』の二重起動は出来ません", MsgIcon::Critical);
    start();
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(host.instanceCheckedFor, iniPath());
    EXPECT_FALSE(std::filesystem::exists(iniPath()));
    EXPECT_FALSE(form0().loaded());
}

TEST_F(StartUp, RecordFilePathHasOneSeparatorEvenAtTheRoot) {
    EXPECT_EQ(game::RecordFilePath("/").string(), "/MT.INI");
    EXPECT_EQ(game::RecordFilePath("/games/x").string(), "/games/x/MT.INI");
}

// A system-wide install: the program's directory cannot hold the file.
TEST(StartUpElsewhere, UnwritableProgramDirectoryKeepsRecordsInTheUserDataDirectory) {
    const auto base = std::filesystem::temp_directory_path() / ("mochitama-ro-" + std::to_string(::getpid()));
    std::filesystem::create_directories(base);
    // A directory below a plain file can never be created, even by root.
    { std::ofstream(base / "file") << "x"; }
    headless::HeadlessServices host(base / "file" / "bin");
    host.userDataDirectory = base / "data" / "mochitama";
    {
        const auto g = game::NewGame(host);
        host.expectBox({".INI Moved",
                        "プログラムのフォルダに記録ファイルを作れませんでした\r\nフォルダの代わりにファイルがあります\r\n"
                        "記録はこちらに残します\r\n" + (base / "data" / "mochitama" / "MT.INI").string(),
                        platform::MsgIcon::Information, {}, platform::MsgResult::Ok, 0, {}, false});
        host.run(g->runtime(), [&] { game::Main(*g); });
        EXPECT_EQ(g->state.IniPath, base / "data" / "mochitama" / "MT.INI");
        EXPECT_TRUE(std::filesystem::exists(g->state.IniPath));
        EXPECT_EQ(g->state.BestTime, 9999.0f);
    }
    std::filesystem::remove_all(base);
}

TEST(StartUpElsewhere, AnInstalledProgramKeepsRecordsInTheUserDataDirectory) {
    const auto prefix = std::filesystem::temp_directory_path() / ("mochitama-prefix-" + std::to_string(::getpid()));
    std::filesystem::create_directories(prefix / "bin");
    std::filesystem::create_directories(prefix / "share" / "metainfo");
    { std::ofstream(prefix / "share" / "metainfo" / game::kMetainfoFile) << "<component/>"; }
    headless::HeadlessServices host(prefix / "bin");
    host.userDataDirectory = prefix / "home" / "mochitama";
    {
        const auto g = game::NewGame(host);
        host.run(g->runtime(), [&] { game::Main(*g); });
        EXPECT_EQ(g->state.IniPath, prefix / "home" / "mochitama" / "MT.INI");
        // Installed copies that share the user's records share one lock.
        EXPECT_EQ(host.instanceCheckedFor, g->state.IniPath);
        EXPECT_FALSE(std::filesystem::exists(prefix / "bin" / "MT.INI"));
    }
    std::filesystem::remove_all(prefix);
}

TEST(StartUpElsewhere, NoPlaceForTheRecordsIsToldAndEndsTheProgram) {
    const auto base = std::filesystem::temp_directory_path() / ("mochitama-none-" + std::to_string(::getpid()));
    std::filesystem::create_directories(base);
    { std::ofstream(base / "file") << "x"; }
    headless::HeadlessServices host(base / "file" / "bin");
    host.userDataDirectory = base / "file" / "data";
    const std::string expected = "記録ファイルを作れませんでした\r\n" + (base / "file" / "data" / "MT.INI").string();
    {
        const auto g = game::NewGame(host);
        host.expectBox({".INI Create Error", expected + "\r\n", platform::MsgIcon::Critical, {},
                        platform::MsgResult::Ok, 0, {}, true});
        host.run(g->runtime(), [&] { game::Main(*g); });
        EXPECT_TRUE(host.ended());
        EXPECT_EQ(host.pendingBoxes(), 0u);
        EXPECT_FALSE(g->form0().loaded());
    }
    std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace script

namespace script {
namespace {

// The reasons a save can meet, in the player's language; anything else in the
// system's own words after a Japanese lead.
TEST(FailureText, SaysTheReasonsAPlayerCanMeetInJapanese) {
    using platform::Failure;
    const struct {
        Failure failure;
        const char* text;
    } cases[] = {
        {Failure::of("cannot write", Failure::Reason::ReadOnlyFile), "ファイルが読み取り専用です"},
        {Failure::ofSystem("cannot replace", EROFS), "ディスクが読み取り専用です"},
        {Failure::ofSystem("cannot create a temporary file", EACCES), "書き込む権限がありません"},
        {Failure::ofSystem("cannot open the file", EPERM), "書き込む権限がありません"},
        {Failure::ofSystem("cannot write", ENOSPC), "ディスクがいっぱいです"},
        {Failure::ofSystem("cannot write", EDQUOT), "ディスクがいっぱいです"},
        {Failure::ofSystem("cannot write", EFBIG), "ファイルが大きすぎます"},
        {Failure::ofSystem("cannot create a temporary file", ENOENT), "フォルダが見つかりません"},
        {Failure::ofSystem("cannot create the folder", ENOTDIR), "フォルダの代わりにファイルがあります"},
        {Failure::ofSystem("cannot create the file", EEXIST), "ファイルではないものがその名前を使っています"},
        {Failure::of("cannot read the file", Failure::Reason::TooLarge),
         "ファイルが大きすぎて、記録ファイルとは思えません（壊れています）"},
    };
    for (const auto& c : cases) EXPECT_EQ(game::FailureText(c.failure), c.text) << c.failure.describe();
    // The system's words are its C library's: glibc says "Input/output error",
    // musl (the web build's) "I/O error".
    EXPECT_EQ(game::FailureText(Failure::ofSystem("cannot write", EIO)),
              std::string("書き込めませんでした: ") + std::strerror(EIO));
}

}  // namespace
}  // namespace script
