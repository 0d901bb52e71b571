#include "platform/runtime.h"

#include "platform/services.h"

namespace platform {

namespace {
struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};
}  // namespace

void Runtime::dispatch(const std::function<void()>& handler) {
    {
        DepthGuard guard(depth_);
        handler();
    }
    if (depth_ == 0 && loadedForms_ == 0) services_.End(ExitStatus::Played);
}

}  // namespace platform
