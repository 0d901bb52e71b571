#include "platform/failure.h"

#include <system_error>

namespace platform {

std::string Failure::describe() const {
    switch (reason) {
        case Reason::ReadOnlyFile:
            return action + ": the file is read-only";
        case Reason::NotARegularFile:
            return action + ": not a regular file";
        case Reason::TooLarge:
            return action + ": the file is too large to be what it should be";
        case Reason::System:
            break;
    }
    return error != 0 ? action + ": " + std::generic_category().message(error) : action;
}

}  // namespace platform
