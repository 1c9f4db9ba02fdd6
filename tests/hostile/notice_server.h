#pragma once
#include <httplib.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tieba::test {

// A loopback server for hostile notice pages: each path answers with fixed bytes, and every
// request is recorded. Lives on 127.0.0.1 on a port of its own.
class NoticeServer {
public:
    NoticeServer()
    {
        server_.set_tcp_nodelay(true);
        server_.set_keep_alive_max_count(1); // no connection outlives its answer, so stop() is prompt
        server_.Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            requested_.push_back(request.path);
            const auto it = bodies_.find(request.path);
            if (it == bodies_.end()) {
                response.status = 404;
                return;
            }
            response.set_content(it->second, "application/octet-stream");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::yield();
    }
    ~NoticeServer()
    {
        server_.stop();
        thread_.join();
    }
    NoticeServer(const NoticeServer&) = delete;
    NoticeServer& operator=(const NoticeServer&) = delete;

    // What `path` answers from now on.
    void set(const std::string& path, std::string body)
    {
        std::lock_guard lock(mutex_);
        bodies_[path] = std::move(body);
    }

    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

    std::vector<std::string> requested() const
    {
        std::lock_guard lock(mutex_);
        return requested_;
    }

private:
    std::map<std::string, std::string> bodies_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> requested_;
};

} // namespace tieba::test
