// What the player may have put where the record file belongs: a link, a
// directory, a FIFO, a writable file in a directory they may not write to.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "reliability/child_process.h"
#include "startup/game_windows.h"
#include "startup/main_routine.h"
#include "support/game_script.h"
#include "support/scratch.h"

namespace script {
namespace {

namespace fs = std::filesystem;
using reliability::DescribeStatus;
using reliability::InChild;

class RecordFilePlace : public GameScript {
protected:
    fs::path userDataFile() const { return *host.userDataDirectory / "MT.INI"; }
    // The one time the player hears that the records live elsewhere.
    void expectRecordsMovedBecauseTheNameIsTaken() {
        box(".INI Moved",
            "プログラムのフォルダに記録ファイルを作れませんでした\r\nファイルではないものがその名前を使っています\r\n"
            "記録はこちらに残します\r\n" + userDataFile().string(),
            MsgIcon::Information);
    }
    void quitAtTheQuestion() {
        toOpeningQuestion();
        box("Welcome to もちたま", "あ・・・そう？根性なしねぇ。じゃぁね。");
        click(form1().Command4);
    }
};

TEST_F(RecordFilePlace, ALinkToAFileIsReadAndWrittenThroughAndStaysALink) {
    fs::create_directories(dir / "synced");
    const fs::path target = dir / "synced" / "records.ini";
    { std::ofstream(target, std::ios::binary) << RecordText("4", "2", "83.5"); }
    fs::create_symlink(target, iniPath());
    quitAtTheQuestion();
    EXPECT_EQ(state().KousanCount, 4);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(iniPath())));
    EXPECT_EQ(readIni(), WithKeyLine(RecordText("4", "2", "83.5"), "Tyutai", "Kaisu=3"));
}

// Once failed: when MT.INI was there but not a regular file, the first start
// appended the default lines to it and, when that failed, removed whatever
// had the name.

TEST_F(RecordFilePlace, ALinkToAMissingPlaceIsLeftAndTheRecordsAreKeptElsewhere) {
    fs::create_symlink("/nonexistent/mochitama/MT.INI", iniPath());
    expectRecordsMovedBecauseTheNameIsTaken();
    start();
    EXPECT_TRUE(form0().visible());
    EXPECT_EQ(state().IniPath, userDataFile());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(iniPath()))) << "the player's link was removed";
}

TEST_F(RecordFilePlace, ADirectoryOfThatNameIsLeftAndTheRecordsAreKeptElsewhere) {
    fs::create_directory(iniPath());
    expectRecordsMovedBecauseTheNameIsTaken();
    start();
    EXPECT_TRUE(form0().visible());
    EXPECT_EQ(state().IniPath, userDataFile());
    EXPECT_TRUE(fs::is_directory(iniPath())) << "the player's directory was removed";
}

TEST_F(RecordFilePlace, AFifoOfThatNameNeitherHangsTheStartNorIsRemoved) {
    MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES("a hang is caught by watching a child");
    ASSERT_EQ(::mkfifo(iniPath().c_str(), 0644), 0);
    const int status = InChild([&] {
        ::alarm(5);  // a start that waits for a reader of the FIFO ends here
        expectRecordsMovedBecauseTheNameIsTaken();
        start();
        if (!form0().visible() || state().IniPath != userDataFile()) return 1;
        return fs::is_fifo(iniPath()) ? 0 : 4;
    });
    EXPECT_EQ(status, 0) << DescribeStatus(status) << " (alarm clock: the start hung; 1: not started with the records "
                         << "elsewhere; 4: the FIFO was removed)";
}

// Fails: every save is refused with ".INI Write Error" ("cannot create a
// temporary file: Permission denied"), because a save needs a new file beside
// MT.INI (src/platform/ini_file.cpp, writeValue), and the start does not move
// the records elsewhere because MT.INI already exists (LocateRecordFile).
TEST_F(RecordFilePlace, AWritableFileInADirectoryThePlayerMayNotWriteKeepsItsSaves) {
    MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES("the player is an unprivileged user a child becomes");
    writeIni(RecordText("4", "1", "83.5"));
    const uid_t uid = reliability::UnprivilegedUid();
    const gid_t gid = reliability::UnprivilegedGid();
    ASSERT_EQ(::chown(iniPath().c_str(), uid, gid), 0);
    fs::permissions(iniPath(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                   fs::perms::others_read);
    const fs::path home = ScratchRoot() / ("mochitama-home-" + std::to_string(::getpid()));
    fs::create_directories(home);
    ASSERT_EQ(::chown(home.c_str(), uid, gid), 0);
    host.userDataDirectory = home / "mochitama";
    // The program's directory belongs to root, or is made read-only for a
    // tester without root; either way the player may pass through it.
    const auto dirMode = fs::status(dir).permissions();
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(dir, ::geteuid() != 0 ? readOnly : readOnly | fs::perms::owner_write);

    const int status = InChild([&] {
        if (!reliability::DropPrivileges()) return 5;
        quitAtTheQuestion();
        if (!host.ended() || host.pendingBoxes() != 0) return 1;
        // The next start reads the count the quit saved.
        headless::HeadlessServices next(dir);
        next.userDataDirectory = host.userDataDirectory;
        const auto again = game::NewGame(next);
        next.run(again->runtime(), [&] { game::Main(*again); });
        return again->state.TyutaiCount == 2 ? 0 : 6;
    });
    fs::permissions(dir, dirMode);
    fs::remove_all(home);
    EXPECT_EQ(status, 0) << DescribeStatus(status) << " (2: an unexpected box, printed above; 6: the quit was lost)";
}

}  // namespace
}  // namespace script
