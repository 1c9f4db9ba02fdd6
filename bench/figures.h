#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tieba::bench {

// The figures the benchmark program prints at its end, one "name value unit" line each. A bench
// file registers a figure at static initialisation; main computes it from the real time per
// iteration of the benchmarks that ran. A figure whose benchmarks did not run is left out.
//
//     [[maybe_unused]] const bool registered = registerRatioFigure("a_vs_b_ratio", "BM_A", "BM_B");

// Seconds of real time per iteration, by benchmark function name ("BM_BareCurlGet") and by full
// run name ("BM_StopLatency/iterations:50/manual_time").
using MeasuredTimes = std::map<std::string, double>;

struct Figure {
    std::string name;
    std::string unit;
    std::function<std::optional<double>(const MeasuredTimes&)> compute;
};

inline std::vector<Figure>& registeredFigures()
{
    static std::vector<Figure> figures;
    return figures;
}

inline bool registerFigure(std::string name, std::string unit,
                           std::function<std::optional<double>(const MeasuredTimes&)> compute)
{
    registeredFigures().push_back({std::move(name), std::move(unit), std::move(compute)});
    return true;
}

inline std::optional<double> measured(const MeasuredTimes& times, const std::string& benchmark)
{
    const auto it = times.find(benchmark);
    return it == times.end() ? std::nullopt : std::optional<double>(it->second);
}

// One iteration of a benchmark in the unit given: "s", "ms", "us" or "ns".
inline bool registerTimeFigure(std::string name, std::string benchmark, std::string unit)
{
    const double scale = unit == "ns" ? 1e9 : unit == "us" ? 1e6 : unit == "ms" ? 1e3 : 1.0;
    return registerFigure(std::move(name), std::move(unit),
                          [benchmark, scale](const MeasuredTimes& times) -> std::optional<double> {
                              if (auto seconds = measured(times, benchmark))
                                  return *seconds * scale;
                              return std::nullopt;
                          });
}

// How many times longer an iteration of one benchmark takes than one of another, same run.
inline bool registerRatioFigure(std::string name, std::string numerator, std::string denominator)
{
    return registerFigure(std::move(name), "x",
                          [numerator, denominator](const MeasuredTimes& times) -> std::optional<double> {
                              auto top = measured(times, numerator);
                              auto bottom = measured(times, denominator);
                              if (!top || !bottom || *bottom <= 0)
                                  return std::nullopt;
                              return *top / *bottom;
                          });
}

} // namespace tieba::bench
