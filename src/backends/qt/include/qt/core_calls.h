#pragma once
// The calls from widgets into the core that are still running, and the
// windows waiting to be deleted until the outermost one returns.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

namespace qt_backend {

class CoreCalls {
public:
    CoreCalls();
    ~CoreCalls();
    CoreCalls(const CoreCalls&) = delete;
    CoreCalls& operator=(const CoreCalls&) = delete;

    // Runs a handler of the core for a widget. A handler may unload its own
    // form, and with it the widget whose event is still on the stack below.
    void run(const std::function<void()>& call);
    // Deletes the object once no call into the core runs (it hides nothing).
    void deleteWhenNoneRuns(QObject* object);

private:
    void sweepSoon();
    void sweep();

    int running_ = 0;
    std::vector<QPointer<QObject>> graveyard_;
    std::unique_ptr<QObject> sweeper_;  // the delayed sweep dies with this object
};

}  // namespace qt_backend
