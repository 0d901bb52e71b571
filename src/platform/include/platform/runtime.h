#pragma once
// Runs the program's event handlers and ends the program once no form is
// loaded any more.
#include <functional>

namespace platform {

class Form;
class Services;

class Runtime {
public:
    explicit Runtime(Services& services) : services_(services) {}
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    Services& services() const { return services_; }

    // Runs one event handler. When the outermost handler returns and no form
    // is loaded, the program ends (a handler may unload one window and show
    // the next, as the title window does).
    void dispatch(const std::function<void()>& handler);

    bool inHandler() const { return depth_ > 0; }
    int loadedForms() const { return loadedForms_; }

    void noteLoaded() { ++loadedForms_; }
    void noteUnloaded() { --loadedForms_; }

private:
    Services& services_;
    int depth_ = 0;
    int loadedForms_ = 0;
};

}  // namespace platform
