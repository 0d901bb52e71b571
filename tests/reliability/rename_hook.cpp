#include "reliability/rename_hook.h"

#include <cerrno>
#include <utility>

extern "C" int __real_rename(const char* from, const char* to);
extern "C" int __wrap_rename(const char* from, const char* to);

namespace reliability {
namespace {

// The tests run on one thread, and so does the game.
struct Hook {
    int remaining = 0;
    std::function<void()> action;
};

Hook& hook() {
    static Hook instance;
    return instance;
}

}  // namespace

void AfterRename(int count, std::function<void()> action) {
    hook().remaining = count;
    hook().action = std::move(action);
}

bool ClearRenameHook() {
    const bool pending = static_cast<bool>(hook().action);
    hook() = Hook{};
    return pending;
}

}  // namespace reliability

extern "C" int __wrap_rename(const char* from, const char* to) {
    const int result = __real_rename(from, to);
    auto& h = reliability::hook();
    if (result == 0 && h.action && --h.remaining == 0) {
        const int savedErrno = errno;
        auto action = std::move(h.action);
        h = reliability::Hook{};
        action();
        errno = savedErrno;
    }
    return result;
}
