// Costs of the page cutting and of the cookie jar, which every exchange pays.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/encoding.h"
#include "platform/ini_profile.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

// A forum page of about 50 KB whose sign link stands at the end, as the cut for it meets it.
std::string fiftyKilobytePage()
{
    std::string page = "<html><body>";
    const std::string row = "<div class=\"i\"><a href=\"/m?kz=123456789&amp;is_bakan=0\">" +
                            gb("今天天气不错，来顶一下") + "</a><span>" + gb("回复") + "12</span></div>\n";
    while (page.size() < 50 * 1024)
        page += row;
    page += "<a href=\"/sign?tbs=abcdef0123456789&amp;fid=42&amp;kw=x\">" + gb("签到") + "</a></body></html>";
    return page;
}

void BM_TextBetween50KB(benchmark::State& state)
{
    const std::string page = fiftyKilobytePage();
    const std::string right = "\">" + gb("签到");
    for (auto _ : state)
        benchmark::DoNotOptimize(textBetween(page, "href=\"", right, kBackwardCut));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TextBetween50KB);

// A data file in a folder of its own with the settings and 3 accounts of 30 cookies each.
class DataFileFixture {
public:
    DataFileFixture()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tieba-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            folder_ = pattern;
        path_ = (folder_ / "shuju.dat").string();
        for (int account = 1; account <= 3; ++account) {
            writeProfileString(path_, gb("账号") + std::to_string(account), "id", encodeStoredValue("user"));
            for (int n = 0; n < 30; ++n)
                writeProfileString(path_, "cookies" + std::to_string(account), "COOKIE" + std::to_string(n),
                                   encodeStoredValue("0123456789abcdef0123456789abcdef:FG=1;"));
        }
    }
    ~DataFileFixture()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::filesystem::path folder_;
    std::string path_;
};

void BM_CookieHeaderBuild(benchmark::State& state)
{
    DataFileFixture file;
    for (auto _ : state)
        benchmark::DoNotOptimize(buildCookieHeader(file.path(), "2"));
}
BENCHMARK(BM_CookieHeaderBuild);

void BM_CookieStore(benchmark::State& state)
{
    DataFileFixture file;
    long round = 0;
    for (auto _ : state) {
        // A new value each round, so every store really rewrites the file.
        storeSetCookies("Set-Cookie: COOKIE15=" + std::to_string(++round) + "; path=/; domain=.example\r\n",
                        file.path(), "2");
    }
}
BENCHMARK(BM_CookieStore);

} // namespace
} // namespace tieba
