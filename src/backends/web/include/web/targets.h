#pragma once
// What an event from the page may name: the objects of the loaded forms, by
// the ids the page knows them by. The peers enroll their objects as they
// come and withdraw them as they go, so a stale or forged id names nothing.
#include <unordered_map>
#include <variant>

#include "platform/form.h"
#include "web/page.h"

namespace web {

class Targets {
public:
    using Target = std::variant<platform::Form*, platform::Control*, platform::Menu*, platform::Timer*>;

    void enroll(page::Id id, Target target) { targets_[id] = target; }
    void withdraw(page::Id id) { targets_.erase(id); }
    // The object, or nullptr when nothing of that id is loaded.
    const Target* find(page::Id id) const {
        const auto found = targets_.find(id);
        return found != targets_.end() ? &found->second : nullptr;
    }

private:
    std::unordered_map<page::Id, Target> targets_;
};

}  // namespace web
