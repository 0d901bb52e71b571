#include "qt/core_calls.h"

#include <QTimer>

namespace qt_backend {

CoreCalls::CoreCalls() : sweeper_(std::make_unique<QObject>()) {}

CoreCalls::~CoreCalls() {
    for (QPointer<QObject>& object : graveyard_) delete object.data();
}

void CoreCalls::run(const std::function<void()>& call) {
    ++running_;
    struct Leave {
        CoreCalls& calls;
        ~Leave() {
            if (--calls.running_ == 0 && !calls.graveyard_.empty()) calls.sweepSoon();
        }
    } leave{*this};
    call();
}

void CoreCalls::deleteWhenNoneRuns(QObject* object) {
    graveyard_.emplace_back(object);
    if (running_ == 0) sweepSoon();
}

void CoreCalls::sweepSoon() {
    // Back in the event loop: Qt may still be using a widget whose event
    // led into the core when the core returns.
    QTimer::singleShot(0, sweeper_.get(), [this] { sweep(); });
}

void CoreCalls::sweep() {
    if (running_ > 0) return;  // the outermost call sweeps when it returns
    std::vector<QPointer<QObject>> dead;
    dead.swap(graveyard_);
    for (QPointer<QObject>& object : dead) delete object.data();
}

}  // namespace qt_backend
