#include "reliability/child_process.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>

namespace reliability {

int InChild(const std::function<int()>& body) {
    // Buffered output would otherwise be printed twice.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 3;
        try {
            status = body();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "child: %s\n", e.what());
            status = 2;
        }
        std::cout.flush();
        std::fflush(nullptr);
        ::_exit(status);
    }
    int status = -1;
    if (pid > 0) ::waitpid(pid, &status, 0);
    return status;
}

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) return "exited with " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("killed by ") + ::strsignal(WTERMSIG(status));
    return "wait status " + std::to_string(status);
}

void LimitFileSize(rlim_t bytes) {
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

namespace {
const passwd* Nobody() { return ::getpwnam("nobody"); }
}  // namespace

uid_t UnprivilegedUid() {
    if (::geteuid() != 0) return ::geteuid();
    const passwd* nobody = Nobody();
    return nobody != nullptr ? nobody->pw_uid : 65534;
}

gid_t UnprivilegedGid() {
    if (::geteuid() != 0) return ::getegid();
    const passwd* nobody = Nobody();
    return nobody != nullptr ? nobody->pw_gid : 65534;
}

bool DropPrivileges() {
    if (::geteuid() != 0) return true;
    const gid_t gid = UnprivilegedGid();
    const uid_t uid = UnprivilegedUid();
    return ::setgroups(0, nullptr) == 0 && ::setresgid(gid, gid, gid) == 0 && ::setresuid(uid, uid, uid) == 0 &&
           ::geteuid() != 0;
}

}  // namespace reliability
