#pragma once
// Running part of a test in a child process: for limits and identities that
// must not touch the test runner itself.
#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <string>

// WebAssembly has one process: a test that runs part of itself in a child
// skips there.
#if defined(__EMSCRIPTEN__)
#define MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES(why) GTEST_SKIP() << "no child processes under emscripten (no fork): " why
#else
#define MOCHITAMA_SKIP_WITHOUT_CHILD_PROCESSES(why) static_cast<void>(0)
#endif

namespace reliability {

// Runs `body` in a forked child and returns its wait status. The body's result
// is the child's exit status; an exception makes it 2 (and is printed).
int InChild(const std::function<int()>& body);

// "exited with 0", "killed by Killed", ...
std::string DescribeStatus(int status);

// The disk is "full" beyond `bytes`: writing past it fails with EFBIG or,
// unless SIGXFSZ is ignored, kills the process as it would kill the game.
void LimitFileSize(rlim_t bytes);

// The unprivileged user the child becomes: nobody when run as root (root
// ignores permission bits), else the tester.
uid_t UnprivilegedUid();
gid_t UnprivilegedGid();

// In a child: becomes that user. Returns false when it could not.
bool DropPrivileges();

}  // namespace reliability
