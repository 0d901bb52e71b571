#pragma once
// A seam in the core's saves: the linker sends its calls to rename() here
// (-Wl,--wrap=rename), so a test can act in the instant after one save has
// replaced the record file and before the next save looks at it. The game
// makes its two end-of-game saves back to back, with nothing in between.
#include <functional>

namespace reliability {

// Runs `action` once, right after the `count`-th successful rename from now on.
void AfterRename(int count, std::function<void()> action);

// Forgets a pending action; returns whether one was still pending.
bool ClearRenameHook();

}  // namespace reliability
