// What an exchange costs beside a bare libcurl GET of the same loopback page over a kept-alive
// connection, and how soon a stop request ends an exchange whose server has gone silent.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>

#include "figures.h"
#include "web/cookie_jar.h"
#include "web/http_exchange.h"

namespace tieba {
namespace {

[[maybe_unused]] const bool httpFigures =
    bench::registerRatioFigure("exchange_vs_bare_ratio", "BM_HttpExchangeGet", "BM_BareCurlGet") &&
    bench::registerTimeFigure("exchange_get_us", "BM_HttpExchangeGet", "us") &&
    bench::registerTimeFigure("bare_curl_get_us", "BM_BareCurlGet", "us") &&
    bench::registerTimeFigure("stop_latency_us", "BM_StopLatency", "us");

// A forum page of about 2 KB in UTF-8 (the source literals are UTF-8), as the service sends its
// smaller pages.
std::string samplePage()
{
    std::string page = "<html><head><title>贴吧</title></head><body>";
    while (page.size() < 2048)
        page += "<div><a href=\"/m?kz=123456789\">今天天气不错，来顶一下</a></div>\n";
    return page + "</body></html>";
}

// The loopback page server of the whole run. It outlives the benchmarks, so the connections
// the exchange and the bare GET keep open stay usable from one benchmark call to the next.
class PageServer {
public:
    static PageServer& instance()
    {
        static PageServer server;
        return server;
    }
    const std::string& url() const { return url_; }

private:
    PageServer() : page_(samplePage())
    {
        server_.set_tcp_nodelay(true);
        server_.set_keep_alive_max_count(1'000'000);
        server_.set_keep_alive_timeout(1);
        server_.Get("/page", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(page_, "text/html; charset=utf-8");
        });
        url_ = "http://127.0.0.1:" + std::to_string(server_.bind_to_any_port("127.0.0.1")) + "/page";
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~PageServer()
    {
        server_.stop();
        thread_.join();
    }

    std::string page_;
    httplib::Server server_;
    std::string url_;
    std::thread thread_;
};

// A data file in a folder of its own, holding a logged-in account's handful of cookies.
class DataFolder {
public:
    DataFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tieba-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        folder_ = pattern;
        file_ = (folder_ / "shuju.dat").string();
        storeSetCookies("Set-Cookie: BAIDUID=0123456789ABCDEF0123456789ABCDEF:FG=1; path=/\r\n"
                        "Set-Cookie: BDUSS=" + std::string(192, 'x') + "; path=/; HttpOnly\r\n"
                        "Set-Cookie: PTOKEN=abcdef0123456789; path=/\r\n"
                        "Set-Cookie: STOKEN=fedcba9876543210; path=/\r\n",
                        file_, "1");
    }
    ~DataFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& file() const { return file_; }

private:
    std::filesystem::path folder_;
    std::string file_;
};

void BM_HttpExchangeGet(benchmark::State& state)
{
    const std::string& url = PageServer::instance().url();
    const DataFolder data;
    for (auto _ : state) {
        std::string page = httpExchange(url, "GET", "", data.file(), 1);
        if (page.empty()) {
            state.SkipWithError("the exchange failed");
            break;
        }
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(BM_HttpExchangeGet)->Unit(benchmark::kMicrosecond);

size_t appendBody(char* data, size_t size, size_t count, void* body)
{
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// The same GET with nothing but libcurl: one handle, reused.
void BM_BareCurlGet(benchmark::State& state)
{
    const std::string& url = PageServer::instance().url();
    CURL* curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    for (auto _ : state) {
        body.clear();
        if (curl_easy_perform(curl) != CURLE_OK || body.empty()) {
            state.SkipWithError("the bare GET failed");
            break;
        }
        benchmark::DoNotOptimize(body);
    }
    curl_easy_cleanup(curl);
}
BENCHMARK(BM_BareCurlGet)->Unit(benchmark::kMicrosecond);

// A server that takes each request and never answers it; it lets go of a connection when the
// client closes it.
class SilentServer {
public:
    SilentServer()
    {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listenFd_, 8) != 0 || ::pipe2(wakePipe_, O_CLOEXEC) != 0)
            throw std::runtime_error("cannot start the silent server");
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
        url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/page";
        thread_ = std::thread([this] { serve(); });
    }
    ~SilentServer()
    {
        const char byte = 1;
        (void)!::write(wakePipe_[1], &byte, 1);
        thread_.join();
        ::close(listenFd_);
        ::close(wakePipe_[0]);
        ::close(wakePipe_[1]);
    }
    const std::string& url() const { return url_; }

    // Waits until the server has taken `count` requests in all.
    void waitForRequests(long count)
    {
        std::unique_lock lock(mutex_);
        arrived_.wait(lock, [&] { return requests_ >= count; });
    }

private:
    bool readable(int fd)
    {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        while (::poll(fds, 2, -1) < 0) {
        }
        return (fds[1].revents & POLLIN) == 0;
    }

    void serve()
    {
        while (readable(listenFd_)) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            std::string request;
            char buffer[4096];
            ssize_t got = 1;
            while (got > 0 && readable(fd)) {
                got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got > 0)
                    request.append(buffer, static_cast<size_t>(got));
                if (got > 0 && request.find("\r\n\r\n") != std::string::npos) {
                    request.clear();
                    std::lock_guard lock(mutex_);
                    ++requests_;
                    arrived_.notify_all();
                }
            }
            ::close(fd);
        }
    }

    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::string url_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    long requests_ = 0;
    std::thread thread_;
};

// From the stop request to the return of an exchange that waits on a silent server.
void BM_StopLatency(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    SilentServer server;
    const DataFolder data;
    long requests = 0;
    for (auto _ : state) {
        std::stop_source stop;
        std::promise<Clock::time_point> returned;
        std::thread exchange([&] {
            benchmark::DoNotOptimize(httpExchange(server.url(), "GET", "", data.file(), 1, stop.get_token()));
            returned.set_value(Clock::now());
        });
        server.waitForRequests(++requests);
        const Clock::time_point stoppedAt = Clock::now();
        stop.request_stop();
        const Clock::time_point returnedAt = returned.get_future().get();
        exchange.join();
        state.SetIterationTime(std::chrono::duration<double>(returnedAt - stoppedAt).count());
    }
}
BENCHMARK(BM_StopLatency)->UseManualTime()->Iterations(50)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tieba
