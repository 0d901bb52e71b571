// The one-copy lock: where its files live, and what it answers when it
// cannot be taken. Each case runs in a child as the unprivileged user, since
// root may write to any directory whatever its mode.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qt/instance_lock.h"
#include "reliability/child_process.h"
#include "support/scratch.h"

namespace qt_test {
namespace {

namespace fs = std::filesystem;
using platform::InstanceCheck;
using qt_backend::InstanceLock;
using qt_backend::InstanceLocks;

// A scratch directory that the unprivileged user may pass through.
class Scratch {
public:
    Scratch() {
        std::string pattern = (script::ScratchRoot() / "mochitama-lock-test-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // A new directory of the player's (the unprivileged user's) with this mode.
    fs::path playerDirectory(const std::string& name, mode_t mode) const {
        const fs::path path = root / name;
        fs::create_directories(path);
        own(path);
        ::chmod(path.c_str(), mode);
        return path;
    }
    static void own(const fs::path& path) {
        if (::geteuid() == 0) (void)!::lchown(path.c_str(), reliability::UnprivilegedUid(), reliability::UnprivilegedGid());
    }
    fs::path root;
};

// ------------------------------------------------------------ the lock directory

enum class Place { Runtime, TemporaryFallback, HomeFallback, None, Unexpected };

const char* nameOf(Place place) {
    switch (place) {
        case Place::Runtime: return "the runtime directory";
        case Place::TemporaryFallback: return "the fallback in /tmp";
        case Place::HomeFallback: return "the fallback in the home";
        case Place::None: return "no place";
        case Place::Unexpected: break;
    }
    return "somewhere else";
}

struct Setting {
    Scratch& scratch;
    uid_t player;
    std::string runtime;       // what $XDG_RUNTIME_DIR says
    std::optional<fs::path> home;
    fs::path tmp;
    fs::path tmpFallback() const { return tmp / ("mochitama-" + std::to_string(player)); }
};

struct DirectoryCase {
    const char* what;
    std::function<void(Setting&)> arrange;
    Place expected;
    bool asRoot = false;  // the player is root, who passes every permission test
};

void runtimeDirectory(Setting& s, mode_t mode) { s.runtime = s.scratch.playerDirectory("runtime", mode).string(); }
void tmpFallbackTaken(Setting& s) {
    // Another user made the name first: root for the unprivileged player; a
    // plain file stands in when the tester is not root.
    if (::geteuid() == 0) {
        fs::create_directory(s.tmpFallback());
        ::chmod(s.tmpFallback().c_str(), 0700);
    } else {
        (void)!::creat(s.tmpFallback().c_str(), 0600);
    }
}

TEST(InstanceLockDirectory, ChosenWhereOnlyThePlayerMayWrite) {
    const std::vector<DirectoryCase> cases = {
        {"runtime directory ours, 0700", [](Setting& s) { runtimeDirectory(s, 0700); }, Place::Runtime},
        {"runtime directory ours, 0755", [](Setting& s) { runtimeDirectory(s, 0755); }, Place::Runtime},
        {"runtime directory ours but 0500: we cannot write it", [](Setting& s) { runtimeDirectory(s, 0500); },
         Place::TemporaryFallback},
        {"runtime directory group-writable", [](Setting& s) { runtimeDirectory(s, 0770); }, Place::TemporaryFallback},
        {"runtime directory writable by all", [](Setting& s) { runtimeDirectory(s, 01777); },
         Place::TemporaryFallback},
        {"runtime directory another user's, as root",
         [](Setting& s) {
             runtimeDirectory(s, 0700);  // the unprivileged user's, root looking
         },
         Place::TemporaryFallback, true},
        {"runtime directory a link to our own",
         [](Setting& s) {
             const fs::path real = s.scratch.playerDirectory("real-runtime", 0700);
             fs::create_directory_symlink(real, s.scratch.root / "runtime");
             s.runtime = (s.scratch.root / "runtime").string();
         },
         Place::TemporaryFallback},
        {"runtime directory not absolute",
         [](Setting& s) {
             s.scratch.playerDirectory("runtime", 0700);
             s.runtime = "runtime";  // the child works in the scratch directory
         },
         Place::TemporaryFallback},
        {"runtime directory missing", [](Setting& s) { s.runtime = (s.scratch.root / "gone").string(); },
         Place::TemporaryFallback},
        {"runtime directory unset", [](Setting&) {}, Place::TemporaryFallback},
        {"fallback in /tmp taken by someone else", tmpFallbackTaken, Place::HomeFallback},
        {"fallback in /tmp a link to our own directory",
         [](Setting& s) {
             const fs::path real = s.scratch.playerDirectory("elsewhere", 0700);
             fs::create_directory_symlink(real, s.tmpFallback());
         },
         Place::HomeFallback},
        {"fallback in /tmp ours but open to others",
         [](Setting& s) {
             fs::create_directory(s.tmpFallback());
             Scratch::own(s.tmpFallback());
             ::chmod(s.tmpFallback().c_str(), 0755);
         },
         Place::HomeFallback},
        {"fallback in /tmp taken and no home",
         [](Setting& s) {
             tmpFallbackTaken(s);
             s.home.reset();
         },
         Place::None},
        {"fallback in /tmp taken and a home we cannot write",
         [](Setting& s) {
             tmpFallbackTaken(s);
             ::chmod(s.home->c_str(), 0500);
         },
         Place::None},
        {"nowhere to make the fallback in /tmp either",
         [](Setting& s) {
             runtimeDirectory(s, 0500);
             ::chmod(s.tmp.c_str(), 0555);  // the tester's: the player may not write it
             s.home.reset();
         },
         Place::None},
    };
    for (const DirectoryCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asRoot && ::geteuid() != 0) continue;  // needs another user to own the directory
        Scratch scratch;
        const fs::path tmp = scratch.root / "tmp";
        fs::create_directory(tmp);
        ::chmod(tmp.c_str(), 01777);
        Setting setting{scratch, c.asRoot ? ::geteuid() : reliability::UnprivilegedUid(), "",
                        scratch.playerDirectory("home", 0755), tmp};
        c.arrange(setting);

        const auto place = [&](const std::optional<fs::path>& chosen) {
            if (!chosen) return Place::None;
            if (*chosen == setting.runtime) return Place::Runtime;
            if (*chosen == setting.tmpFallback()) return Place::TemporaryFallback;
            if (setting.home && *chosen == *setting.home / ".cache" / "mochitama") return Place::HomeFallback;
            return Place::Unexpected;
        };
        const int status = reliability::InChild([&] {
            if (!c.asRoot && !reliability::DropPrivileges()) return 100;
            if (::chdir(scratch.root.c_str()) != 0) return 101;
            const auto chosen =
                qt_backend::chooseLockDirectory("mochitama", {setting.runtime, tmp, setting.home});
            // A fallback the choice made must be usable as made: ours and 0700.
            struct stat st {};
            if (chosen && chosen != fs::path(setting.runtime) &&
                (::lstat(chosen->c_str(), &st) != 0 || st.st_uid != ::getuid() || (st.st_mode & 07777) != 0700))
                return 102;
            return static_cast<int>(place(chosen));
        });
        ASSERT_TRUE(WIFEXITED(status)) << reliability::DescribeStatus(status);
        EXPECT_EQ(nameOf(static_cast<Place>(WEXITSTATUS(status))), std::string(nameOf(c.expected)))
            << reliability::DescribeStatus(status) << " (100: could not drop privileges; 102: a fallback not private)";
    }
}

// ------------------------------------------------------------ taking the lock

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstGoes) {
    Scratch scratch;
    auto first = std::make_unique<InstanceLock>(scratch.root, "mochitama", "/games/mochitama/MT.INI");
    EXPECT_EQ(first->take(), InstanceCheck::Alone);
    EXPECT_EQ(first->take(), InstanceCheck::Alone);  // asking again keeps it
    InstanceLock second(scratch.root, "mochitama", "/games/mochitama/MT.INI");
    EXPECT_EQ(second.take(), InstanceCheck::AnotherRuns);
    InstanceLock elsewhere(scratch.root, "mochitama", "/games/other-copy/MT.INI");
    EXPECT_EQ(elsewhere.take(), InstanceCheck::Alone);
    first.reset();
    EXPECT_EQ(second.take(), InstanceCheck::Alone);
}

TEST(InstanceLock, TheKernelFreesTheLockOfADeadProcess) {
    Scratch scratch;
    int ready[2], quit[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(quit), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock lock(scratch.root, "mochitama", "/games/mochitama/MT.INI");
        const char taken = lock.take() == InstanceCheck::Alone ? 'y' : 'n';
        (void)!::write(ready[1], &taken, 1);
        char c;
        (void)!::read(quit[0], &c, 1);
        ::_exit(0);  // no destructor: only the kernel can free the lock
    }
    char taken = 0;
    ASSERT_EQ(::read(ready[0], &taken, 1), 1);
    EXPECT_EQ(taken, 'y');
    InstanceLock mine(scratch.root, "mochitama", "/games/mochitama/MT.INI");
    EXPECT_EQ(mine.take(), InstanceCheck::AnotherRuns);
    (void)!::write(quit[1], "x", 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(mine.take(), InstanceCheck::Alone);
    for (int fd : {ready[0], ready[1], quit[0], quit[1]}) ::close(fd);
}

TEST(InstanceLock, NamesDependOnTheRecordFileOnly) {
    EXPECT_EQ(InstanceLock::lockFileName("mochitama", "/games/mochitama/MT.INI"),
              InstanceLock::lockFileName("mochitama", "/games/./mochitama/MT.INI"));
    EXPECT_NE(InstanceLock::lockFileName("mochitama", "/games/mochitama/MT.INI"),
              InstanceLock::lockFileName("mochitama", "/games/mochitama2/MT.INI"));
    // Two names of one file, through a link, are one lock.
    Scratch scratch;
    fs::create_directory(scratch.root / "records");
    fs::create_directory_symlink(scratch.root / "records", scratch.root / "link");
    EXPECT_EQ(InstanceLock::lockFileName("mochitama", scratch.root / "records" / "MT.INI"),
              InstanceLock::lockFileName("mochitama", scratch.root / "link" / "MT.INI"));
}

struct CheckCase {
    const char* what;
    // Makes the lock directory (or none) and whatever stands in the way.
    std::function<std::optional<fs::path>(Scratch&)> arrange;
    InstanceCheck expected;
};

TEST(InstanceLocks, NeverAloneWithoutTheLock) {
    const fs::path record = "/games/mochitama/MT.INI";
    const auto lockFile = [record](const fs::path& directory) {
        return directory / InstanceLock::lockFileName("mochitama", record);
    };
    const std::vector<CheckCase> cases = {
        {"a directory of ours", [](Scratch& s) { return s.playerDirectory("locks", 0700); }, InstanceCheck::Alone},
        {"no lock directory anywhere", [](Scratch&) { return std::optional<fs::path>(); }, InstanceCheck::CannotTell},
        {"a directory we cannot write", [](Scratch& s) { return s.playerDirectory("locks", 0500); },
         InstanceCheck::CannotTell},
        {"the lock file a link",
         [lockFile](Scratch& s) {
             const fs::path locks = s.playerDirectory("locks", 0700);
             fs::create_symlink(s.root / "elsewhere", lockFile(locks));
             return std::optional<fs::path>(locks);
         },
         InstanceCheck::CannotTell},
        {"a lock file we may not open",
         [lockFile](Scratch& s) {
             const fs::path locks = s.playerDirectory("locks", 0700);
             (void)!::creat(lockFile(locks).c_str(), 0600);
             ::chmod(lockFile(locks).c_str(), 0);
             return std::optional<fs::path>(locks);
         },
         InstanceCheck::CannotTell},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch scratch;
        const std::optional<fs::path> directory = c.arrange(scratch);
        const int status = reliability::InChild([&] {
            if (!reliability::DropPrivileges()) return 100;
            InstanceLocks locks("mochitama", [&] {
                return directory ? std::vector<fs::path>{*directory} : std::vector<fs::path>{};
            });
            return static_cast<int>(locks.check(record));
        });
        ASSERT_TRUE(WIFEXITED(status)) << reliability::DescribeStatus(status);
        EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(c.expected));
    }
}

TEST(InstanceLocks, EachRecordFileKeepsItsOwnLock) {
    // The records may move from beside the program to the user's directory
    // during one start: both files stay guarded while the game runs.
    Scratch scratch;
    const auto here = [&] { return std::vector<fs::path>{scratch.root}; };
    InstanceLocks first("mochitama", here);
    EXPECT_EQ(first.check("/games/mochitama/MT.INI"), InstanceCheck::Alone);
    EXPECT_EQ(first.check("/home/player/.local/share/mochitama/MT.INI"), InstanceCheck::Alone);
    EXPECT_EQ(first.check("/games/mochitama/MT.INI"), InstanceCheck::Alone);  // still its own

    InstanceLocks second("mochitama", here);
    EXPECT_EQ(second.check("/games/mochitama/MT.INI"), InstanceCheck::AnotherRuns);
    EXPECT_EQ(second.check("/home/player/.local/share/mochitama/MT.INI"), InstanceCheck::AnotherRuns);
    EXPECT_EQ(second.check("/games/other-copy/MT.INI"), InstanceCheck::Alone);
}

// A copy started after `su` that kept the caller's runtime directory, and a
// copy from the player's own session, once locked in different directories
// and both ran on one record file.
TEST(InstanceLocks, ACopyWithAnotherRuntimeDirectoryStillSeesTheFirst) {
    Scratch scratch;
    const fs::path runtime = scratch.root / "runtime";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const fs::path record = "/games/mochitama/MT.INI";
    const qt_backend::LockPlaces ownSession{runtime.string(), scratch.root, std::nullopt};
    const qt_backend::LockPlaces afterSu{"/nonexistent/runtime", scratch.root, std::nullopt};
    InstanceLocks first("mochitama", [&] { return qt_backend::lockDirectories("mochitama", ownSession); });
    InstanceLocks second("mochitama", [&] { return qt_backend::lockDirectories("mochitama", afterSu); });
    EXPECT_EQ(first.check(record), InstanceCheck::Alone);
    EXPECT_EQ(second.check(record), InstanceCheck::AnotherRuns);
}

}  // namespace
}  // namespace qt_test
