#pragma once
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tieba::test {

// A loopback TCP socket bound to an ephemeral port, whose number goes to `port`; listening when
// asked. Throws when the socket cannot be had.
int boundSocket(int& port, bool listening);

// An in-process cpp-httplib server on an ephemeral loopback port. Tests add their routes through
// server() and then start it. An idle kept-alive connection is dropped after keepAliveSeconds;
// stopping the server waits that long for the client's open connection.
class LocalServer {
public:
    explicit LocalServer(time_t keepAliveSeconds = 0)
    {
        server_.set_tcp_nodelay(true);
        server_.set_keep_alive_timeout(keepAliveSeconds);
        port_ = server_.bind_to_any_port("127.0.0.1");
    }
    ~LocalServer() { stop(); }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    httplib::Server& server() { return server_; }

    // Starts accepting; the socket already listens, so a client may connect before this.
    void start()
    {
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    void stop()
    {
        if (thread_.joinable()) {
            server_.stop();
            thread_.join();
        }
    }

    int port() const { return port_; }
    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    httplib::Server server_;
    int port_ = -1;
    std::thread thread_;
};

// A raw TCP server that shows the request exactly as it came and can do what a well-behaved
// server never does: it takes one connection, reads the request (head and Content-Length body),
// writes `reply` as given, and then holds the connection open until it is destroyed, closes it,
// or resets it.
class ScriptedServer {
public:
    enum class After { Hold, Close, Reset };

    ScriptedServer(std::string reply, After after);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    // Whether a request arrived within the deadline.
    bool waitForRequest(std::chrono::milliseconds deadline);
    // The raw request, empty until one arrived.
    std::string request();

private:
    void serve();
    bool waitReadable(int fd);

    std::string reply_;
    After after_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    int port_ = -1;
    std::mutex mutex_;
    std::condition_variable requestArrived_;
    bool requestSeen_ = false;
    std::string request_;
    std::thread thread_;
};

// A socket that listens but never accepts: shows whether a client tried to connect at all.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    bool hasPendingConnection() const;

private:
    int fd_ = -1;
    int port_ = -1;
};

// A loopback port on which nothing listens (connection refused).
int closedPort();

} // namespace tieba::test
