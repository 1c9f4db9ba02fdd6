// Start-up of the program (process start to the main window shown) and its resident memory
// once shown, beside a bare frameless Qt window of the same size built by this project.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "figures.h"

extern char** environ;

namespace tieba {
namespace {

std::atomic<double> programRssKib{0};
std::atomic<double> bareRssKib{0};

[[maybe_unused]] const bool startupFigures =
    bench::registerRatioFigure("startup_vs_bare_qt_ratio", "BM_StartupProgram", "BM_StartupBareQt") &&
    bench::registerTimeFigure("startup_ms", "BM_StartupProgram", "ms") &&
    bench::registerTimeFigure("startup_bare_qt_ms", "BM_StartupBareQt", "ms") &&
    bench::registerFigure("idle_rss_vs_bare_qt_ratio", "x", [](const bench::MeasuredTimes&) -> std::optional<double> {
        if (programRssKib <= 0 || bareRssKib <= 0)
            return std::nullopt;
        return programRssKib / bareRssKib;
    }) &&
    bench::registerFigure("idle_rss_mib", "MiB", [](const bench::MeasuredTimes&) -> std::optional<double> {
        if (programRssKib <= 0)
            return std::nullopt;
        return programRssKib / 1024.0;
    }) &&
    // The floor under the program's start-up: Qt reads the font configuration to lay out even an
    // empty text box, and the main window has two (the bare window loads no font before shown).
    bench::registerRatioFigure("startup_bare_textbox_vs_bare_qt_ratio", "BM_StartupBareTextBox",
                               "BM_StartupBareQt") &&
    // Until the first paint is done, which is what a user waits for.
    bench::registerRatioFigure("first_paint_vs_bare_qt_ratio", "BM_StartupFirstPaintProgram", "BM_StartupFirstPaintBareQt") &&
    bench::registerTimeFigure("first_paint_ms", "BM_StartupFirstPaintProgram", "ms") &&
    bench::registerTimeFigure("first_paint_bare_qt_ms", "BM_StartupFirstPaintBareQt", "ms");

std::string probePath()
{
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "startup-probe").string();
}

// Runs the probe once; returns the seconds until it reported its window and the resident KiB.
std::pair<double, long> runProbe(const std::string& mode)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {0, 0};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);

    std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0)
            environment.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string path = probePath();
    std::string modeArg = mode;
    char* argv[] = {const_cast<char*>(path.c_str()), modeArg.data(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return {0, 0};
    }
    char buffer[64] = {};
    const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer - 1);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    long kib = 0;
    if (got > 0)
        std::sscanf(buffer, "shown %ld", &kib);
    return {seconds, kib};
}

void startupBenchmark(benchmark::State& state, const std::string& mode, std::atomic<double>* rss)
{
    // The program creates its data file in the current folder: give it a scratch one.
    const auto previous = std::filesystem::current_path();
    char pattern[] = "/tmp/tieba-startup-XXXXXX";
    const std::filesystem::path scratch = ::mkdtemp(pattern);
    std::filesystem::current_path(scratch);
    for (auto _ : state) {
        const auto [seconds, kib] = runProbe(mode);
        if (kib == 0) {
            state.SkipWithError("the probe did not report its window");
            break;
        }
        state.SetIterationTime(seconds);
        if (rss)
            *rss = static_cast<double>(kib);
    }
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(scratch);
}

void BM_StartupProgram(benchmark::State& state)
{
    startupBenchmark(state, "program", &programRssKib);
}
BENCHMARK(BM_StartupProgram)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StartupBareQt(benchmark::State& state)
{
    startupBenchmark(state, "bare", &bareRssKib);
}
BENCHMARK(BM_StartupBareQt)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StartupBareTextBox(benchmark::State& state)
{
    startupBenchmark(state, "bare-textbox", nullptr);
}
BENCHMARK(BM_StartupBareTextBox)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StartupFirstPaintProgram(benchmark::State& state)
{
    startupBenchmark(state, "program-painted", nullptr);
}
BENCHMARK(BM_StartupFirstPaintProgram)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StartupFirstPaintBareQt(benchmark::State& state)
{
    startupBenchmark(state, "bare-painted", nullptr);
}
BENCHMARK(BM_StartupFirstPaintBareQt)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
} // namespace tieba
