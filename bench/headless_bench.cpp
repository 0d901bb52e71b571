// One complete game on the headless backend, from Main to the end of the
// program with every box in order, run many times. Each run is timed from
// the test's start to its end, so it includes what a test of it costs: a
// fresh program directory (under TMPDIR), the record file's writes with
// their fsyncs, and the directory's removal. Prints one JSON line: the wall
// time of a run (median, min, max) and the median CPU time of a run.
//
//   mochitama_headless_bench [--runs N]
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "support/game_script.h"

namespace {

class CompleteRun : public script::GameScript {};

TEST_F(CompleteRun, FromMainToTheEnd) {
    startGame();
    playToTheDefeat();
    finishAndCongratulate();
    awaitFinalPrompt();
    click(form1().Command1);
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(host.boxes.size(), 30u);
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Wall time and the thread's own CPU time of each run: the difference is
// time spent waiting, for the disk or for a core.
class Stopwatch : public ::testing::EmptyTestEventListener {
public:
    std::vector<double> taken, cpu;

private:
    void OnTestStart(const ::testing::TestInfo&) override {
        start_ = std::chrono::steady_clock::now();
        cpuStart_ = threadCpuMs();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        taken.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count());
        cpu.push_back(threadCpuMs() - cpuStart_);
    }
    std::chrono::steady_clock::time_point start_;
    double cpuStart_ = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 50;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        args.push_back(argv[i]);
    }
    std::string repeat = "--gtest_repeat=" + std::to_string(runs);
    std::string quiet = "--gtest_brief=1";
    args.push_back(repeat.data());
    args.push_back(quiet.data());
    int count = static_cast<int>(args.size());
    ::testing::InitGoogleTest(&count, args.data());

    auto* stopwatch = new Stopwatch;
    ::testing::UnitTest::GetInstance()->listeners().Append(stopwatch);
    const int failed = RUN_ALL_TESTS();

    const std::vector<double>& t = stopwatch->taken;
    std::printf("{\"runs\": %zu, \"median_ms\": %.3f, \"min_ms\": %.3f, \"max_ms\": %.3f, \"cpu_median_ms\": %.3f, "
                "\"failed\": %d}\n",
                t.size(), median(t), *std::min_element(t.begin(), t.end()), *std::max_element(t.begin(), t.end()),
                median(stopwatch->cpu), failed);
    return failed;
}
