// The game's timers and pauses on the real Qt backend: each interval the game
// uses, on a platform::Timer of a small form, measured with a steady clock
// from the call that starts it (as the game starts it: Enabled, then
// Interval) to its tick; and QtServices::Sleep from call to return. Prints
// one JSON line per interval with every sample in milliseconds.
// Five rounds of every interval take about 3.5 minutes.
//
//   mochitama_timer_bench [--rounds N]
//
// One timer runs at a time, as in the game, and each starts from inside the
// running event loop. A lone timer is the worst case: the event loop then
// sleeps in one poll() for the whole interval, and Linux lets a poll()
// timeout run late by 0.1 % of its length (its timer slack), on top of Qt
// rounding the wait up to the next millisecond. Timers running side by side
// wake each other and hide that.
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qt/fonts.h"
#include "qt/qt_services.h"
#include "qt/window_system.h"
#include "platform/form.h"
#include "platform/runtime.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Interval {
    const char* name;
    int interval;
};

// The game's timers, as its code starts them.
const Interval kTimers[] = {
    {"title hand-over", 2000}, {"hint flash", 700},      {"blank-item flash", 2000}, {"Exit button lock", 99},
    {"wake-up", 3000},         {"cipher intro", 1000},   {"cipher limit", 30000},
};
const int kPauses[] = {300, 1000, 3000};

// A borderless form that does nothing but hold the timers.
class ProbeForm : public platform::Form {
public:
    ProbeForm(platform::Runtime& runtime, int count) : Form(runtime, "Probe") {
        designBorder(platform::BorderStyle::None);
        designClientSize(1500, 600);
        setBackColor(0x00C0E0FF);
        for (int i = 0; i < count; ++i)
            timers.push_back(std::make_unique<platform::Timer>(*this, "Timer" + std::to_string(i + 1)));
        endDesign();
    }
    ~ProbeForm() override { releasePeer(); }
    std::vector<std::unique_ptr<platform::Timer>> timers;
};

void print(const char* name, int interval, const std::vector<double>& samples) {
    std::printf("{\"name\": \"%s\", \"interval\": %d, \"samples\": [", name, interval);
    for (std::size_t i = 0; i < samples.size(); ++i) std::printf("%s%.3f", i ? ", " : "", samples[i]);
    std::printf("]}\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));

    if (const auto problem = qt_backend::chooseWindowSystem()) {
        std::fprintf(stderr, "timer_bench: no display (%s)\n", problem->c_str());
        return 1;
    }
    QApplication app(argc, argv);
    qt_backend::installJapaneseFonts();
    qt_backend::QtServices services({"mochitama-bench", {}});
    platform::Runtime runtime(services);

    constexpr std::size_t kinds = std::size(kTimers);
    std::vector<std::vector<double>> samples(kinds);
    ProbeForm form(runtime, static_cast<int>(kinds));
    form.Show();

    // Round after round of every timer, so that a slow moment of the machine
    // does not fall on one timer's samples only.
    std::size_t next = 0;
    const std::size_t total = kinds * static_cast<std::size_t>(rounds);
    Clock::time_point started;
    std::function<void()> startNext = [&] {
        const std::size_t k = next % kinds;
        platform::Timer& timer = *form.timers[k];
        timer.setEnabled(true);
        timer.setInterval(kTimers[k].interval);
        started = Clock::now();
    };
    for (std::size_t k = 0; k < kinds; ++k) {
        platform::Timer* timer = form.timers[k].get();
        timer->onTick = [&, k, timer] {
            samples[k].push_back(msSince(started));
            timer->setEnabled(false);
            timer->setInterval(0);
            if (++next == total) {
                QCoreApplication::exit(0);
                return;
            }
            QTimer::singleShot(0, &app, startNext);
        };
    }
    QTimer::singleShot(0, &app, startNext);
    QApplication::exec();
    for (std::size_t k = 0; k < kinds; ++k) print(kTimers[k].name, kTimers[k].interval, samples[k]);

    // What a pause does before it sleeps: the shown windows painted and sent.
    std::vector<double> repaints;
    for (int round = 0; round < rounds; ++round) {
        const Clock::time_point start = Clock::now();
        services.shownWindows().repaintAll();
        repaints.push_back(msSince(start));
    }
    print("repaint before a pause", 0, repaints);

    for (int pause : kPauses) {
        std::vector<double> taken;
        for (int round = 0; round < rounds; ++round) {
            const Clock::time_point start = Clock::now();
            services.Sleep(static_cast<uint32_t>(pause));
            taken.push_back(msSince(start));
        }
        const std::string name = "Sleep " + std::to_string(pause);
        print(name.c_str(), pause, taken);
    }
    form.Unload();
    return 0;
}
