// The notice block's tag stripping on a hostile page: 437 KB of distinct tags.
#include <benchmark/benchmark.h>

#include <string>

#include "figures.h"
#include "notice/notice_directives.h"

namespace tieba {
namespace {

std::string distinctTags(size_t bytes)
{
    std::string page = "$jiben[3.0]xinxi[";
    for (long n = 0; page.size() < bytes; ++n)
        page += "<t" + std::to_string(n) + ">x";
    return page + "]$";
}

void BM_NoticeStrip437KB(benchmark::State& state)
{
    const std::string page = distinctTags(437 * 1024);
    for (auto _ : state)
        benchmark::DoNotOptimize(directiveBlock(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_NoticeStrip437KB)->Unit(benchmark::kMillisecond);

[[maybe_unused]] const bool figures = bench::registerTimeFigure("notice_strip_437kb_ms", "BM_NoticeStrip437KB", "ms");

} // namespace
} // namespace tieba
