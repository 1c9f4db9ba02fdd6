// The benchmark program: runs every registered benchmark, shows Google Benchmark's table on
// stderr, and ends stdout with one "name value unit" line per derived figure.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "figures.h"

namespace tieba::bench {
namespace {

// The figures of the page-cutting and cookie-jar benchmarks.
[[maybe_unused]] const bool textFigures = registerTimeFigure("cookie_header_build_us", "BM_CookieHeaderBuild", "us") &&
                                          registerTimeFigure("text_between_50kb_us", "BM_TextBetween50KB", "us") &&
                                          registerTimeFigure("cookie_store_us", "BM_CookieStore", "us");

// Prints the usual table and keeps the real time per iteration of every run. Of several
// repetitions of one benchmark the median counts, so one disturbed repetition does not.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    CollectingReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        benchmark::ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            add(run.run_name.function_name, seconds);
            if (run.benchmark_name() != run.run_name.function_name)
                add(run.benchmark_name(), seconds);
        }
    }

    MeasuredTimes times() const
    {
        MeasuredTimes result;
        for (auto [name, samples] : samples_) {
            std::sort(samples.begin(), samples.end());
            const size_t middle = samples.size() / 2;
            result[name] = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
        }
        return result;
    }

private:
    void add(const std::string& name, double seconds) { samples_[name].push_back(seconds); }

    std::map<std::string, std::vector<double>> samples_;
};

// Three significant digits or so, never in exponent form.
void printFigure(const std::string& name, double value, const std::string& unit)
{
    const int decimals = value >= 100 ? 0 : value >= 10 ? 1 : 2;
    std::printf("%s %.*f %s\n", name.c_str(), decimals, value, unit.c_str());
}

} // namespace
} // namespace tieba::bench

int main(int argc, char** argv)
{
    using namespace tieba::bench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    CollectingReporter reporter;
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::cerr.flush();

    std::vector<Figure> figures = registeredFigures();
    std::sort(figures.begin(), figures.end(), [](const Figure& a, const Figure& b) { return a.name < b.name; });
    const MeasuredTimes times = reporter.times();
    for (const Figure& figure : figures)
        if (std::optional<double> value = figure.compute(times))
            printFigure(figure.name, *value, figure.unit);
    std::fflush(stdout);
    return 0;
}
