// Saves that do not finish: the writer killed at random moments, and a disk
// that fills up (the file size limit) in the middle of a save. The record file
// must always be the old one or the new one, complete.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ini_file.h"
#include "platform/safe_file.h"
#include "reliability/child_process.h"
#include "support/game_script.h"

namespace script {
namespace {

namespace fs = std::filesystem;
using platform::ini::WritePrivateProfileString;
using reliability::DescribeStatus;
using reliability::InChild;
using reliability::LimitFileSize;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

fs::path FreshDirectory(const std::string& name) {
    const auto path = fs::temp_directory_path() / ("mochitama-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

// Everything in the directory except the record file itself.
std::vector<std::string> OthersIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename() != "MT.INI") names.push_back(entry.path().filename().string());
    return names;
}

bool IsSaveTemporary(const std::string& name) {
    static const std::regex pattern(R"(\.MT\.INI\.[A-Za-z0-9]{6})");
    return std::regex_match(name, pattern);
}

// ---------------------------------------------------------------- killed

class KilledWhileSaving : public ::testing::Test {
protected:
    void SetUp() override { dir = FreshDirectory("killed"); }
    void TearDown() override { fs::remove_all(dir); }
    fs::path file() const { return dir / "MT.INI"; }
    fs::path dir;
};

TEST_F(KilledWhileSaving, SigkillAtRandomMomentsLeavesTheOldOrTheNewFileWhole) {
    MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES("the saving program is killed from outside");
    constexpr int kKills = 200;
    const std::string shortValue = WithKeyLine(RecordText("4", "2", "83.5"), "Kousan", "Kaisu=4");
    const std::string longValue = WithKeyLine(shortValue, "Kousan", "Kaisu=1234567");
    WriteFile(file(), shortValue);
    fs::permissions(file(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 20000);
    int sawShort = 0, sawLong = 0, temporariesLeft = 0;
    for (int kill = 1; kill <= kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill) + ", seed " + std::to_string(seed));
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(ready[1], STDOUT_FILENO);
            ::close(ready[0]);
            ::close(ready[1]);
            ::execl(MOCHITAMA_RECORD_WRITER_DRIVER, MOCHITAMA_RECORD_WRITER_DRIVER, file().c_str(), "Kousan", "Kaisu",
                    "1234567", "4", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        ::close(ready[1]);
        char line[8] = {};
        const bool started = ::read(ready[0], line, sizeof line) > 0;
        ::close(ready[0]);
        if (started) std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(started && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer " << DescribeStatus(status);

        const std::string now = ReadFile(file());
        if (now == shortValue) ++sawShort;
        else if (now == longValue) ++sawLong;
        else FAIL() << "the record file is neither the old nor the new one: " << ::testing::PrintToString(now);
        EXPECT_EQ(fs::status(file()).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

        // A kill between creating the temporary file and renaming it leaves
        // that one file behind, which the next start removes; nothing else
        // may appear.
        const auto others = OthersIn(dir);
        ASSERT_LE(others.size(), 1u) << ::testing::PrintToString(others);
        if (!others.empty()) {
            EXPECT_TRUE(IsSaveTemporary(others[0])) << others[0];
            ++temporariesLeft;
            platform::RemoveStaleTemporaries(file());
            EXPECT_TRUE(OthersIn(dir).empty());
        }
    }
    // Both values turned up, so the kills really fell among the saves.
    EXPECT_GT(sawShort, 0);
    EXPECT_GT(sawLong, 0);
    std::cout << kKills << " kills (seed " << seed << "): old or new value " << sawShort << " and " << sawLong
              << " times, file whole every time; a temporary file was left " << temporariesLeft << " times\n";
}

TEST_F(KilledWhileSaving, TheFileSizeSignalInTheMiddleOfASaveLeavesTheOldFileWhole) {
    MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES("the file-size signal ends a child, and emscripten keeps no file-size limit");
    const std::string before = RecordText("4", "2", "83.5");
    WriteFile(file(), before);
    const int status = InChild([&] {
        LimitFileSize(64);
        WritePrivateProfileString("Kousan", "Kaisu", "5", file());
        return 0;
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the writer " << DescribeStatus(status);
    EXPECT_EQ(ReadFile(file()), before);
    const auto others = OthersIn(dir);
    ASSERT_LE(others.size(), 1u) << ::testing::PrintToString(others);
    if (!others.empty()) {
        EXPECT_TRUE(IsSaveTemporary(others[0])) << others[0];
        // What was written before the signal: the start of the new file.
        EXPECT_EQ(ReadFile(dir / others[0]), WithKeyLine(before, "Kousan", "Kaisu=5").substr(0, 64));
        std::cout << "left behind: " << others[0] << " (" << fs::file_size(dir / others[0]) << " bytes)\n";
    }
}

// ---------------------------------------------------------------- full disk

class FullDisk : public GameScript {};

TEST_F(FullDisk, TheServiceReportsTheFailureAndKeepsTheOldFile) {
    MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES("the full disk is a file-size limit set in a child, and emscripten keeps none");
    const std::string before = RecordText("4", "2", "83.5");
    writeIni(before);
    const int status = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        LimitFileSize(64);
        const auto failure = WritePrivateProfileString("Kousan", "Kaisu", "5", iniPath());
        if (!failure || failure->error != EFBIG) {
            std::fprintf(stderr, "failure: %s\n", failure ? failure->describe().c_str() : "none");
            return 1;
        }
        return 0;
    });
    EXPECT_EQ(status, 0) << DescribeStatus(status);
    EXPECT_EQ(readIni(), before);
    EXPECT_EQ(OthersIn(dir), std::vector<std::string>{});
}

TEST_F(FullDisk, AQuitThatCannotBeSavedIsToldAndTheOldFileStays) {
    MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES("the full disk is a file-size limit set in a child, and emscripten keeps none");
    const std::string before = RecordText("4", "2", "83.5");
    writeIni(before);
    toOpeningQuestion();
    const int status = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        LimitFileSize(64);
        box("Welcome to もちたま", "あ・・・そう？根性なしねぇ。じゃぁね。");
        box(".INI Write Error", "記録を保存できませんでした\r\n" + iniPath().string() + "\r\nファイルが大きすぎます",
            MsgIcon::Critical);
        click(form1().Command4);
        return host.ended() && host.pendingBoxes() == 0 ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << DescribeStatus(status);
    EXPECT_EQ(readIni(), before);
    EXPECT_EQ(OthersIn(dir), std::vector<std::string>{});
}

TEST_F(FullDisk, AFileThatMayNotGrowTakesASaveThatDoesNotGrowIt) {
    MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES("the full disk is a file-size limit set in a child, and emscripten keeps none");
    // Room for exactly the old file: a shorter line still fits.
    const std::string before = RecordText("4", "2", "83.5");
    writeIni(before);
    const int status = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        LimitFileSize(before.size());
        const bool shorter = !WritePrivateProfileString("Tyutai", "Kaisu", "3", iniPath());
        const bool longer = !WritePrivateProfileString("Time", "1st", "83.5" + std::string(40, '0'), iniPath());
        return shorter && !longer ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << DescribeStatus(status);
    EXPECT_EQ(readIni(), WithKeyLine(before, "Tyutai", "Kaisu=3"));
    EXPECT_EQ(OthersIn(dir), std::vector<std::string>{});
}

}  // namespace
}  // namespace script
