// The cost of storing what one hostile answer sets: 10,000 Set-Cookie lines.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "figures.h"
#include "web/cookie_jar.h"

namespace tieba {
namespace {

std::string floodOfCookies()
{
    std::string header = "HTTP/1.1 200 OK\r\n";
    for (int n = 0; n < 10000; ++n)
        header += "Set-Cookie: FLOOD" + std::to_string(n) + "=0123456789abcdef; path=/\r\n";
    return header;
}

void BM_CookieFloodStore(benchmark::State& state)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tieba-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path folder = pattern;
    const std::string path = (folder / "shuju.dat").string();
    const std::string header = floodOfCookies();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(storeSetCookies(header, path, "1"));
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_CookieFloodStore)->Unit(benchmark::kMillisecond);

[[maybe_unused]] const bool registered =
    bench::registerTimeFigure("cookie_flood_store_ms", "BM_CookieFloodStore", "ms");

} // namespace
} // namespace tieba
