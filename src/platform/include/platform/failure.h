#pragma once
// How the platform layer says that something failed: what it was doing and
// why, as the system's error number or one of its own reasons. Functions
// that can fail return std::optional<Failure>: nothing when all went well.
#include <optional>
#include <string>

namespace platform {

struct Failure {
    // Where the system gave no error number, the reason is ours.
    enum class Reason { System, ReadOnlyFile, NotARegularFile, TooLarge };

    std::string action;  // what was being done: "cannot create a temporary file"
    Reason reason = Reason::System;
    int error = 0;  // errno, for Reason::System

    static Failure ofSystem(std::string action, int error) { return {std::move(action), Reason::System, error}; }
    static Failure of(std::string action, Reason reason) { return {std::move(action), reason, 0}; }

    // In English, for logs and tests: "cannot write: File too large".
    std::string describe() const;
};

}  // namespace platform
