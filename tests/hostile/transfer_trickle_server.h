#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tieba::test {

// A loopback server that answers one request as slowly as a hostile service may: it sends
// `head` at once, then `drip` one byte at a time, one every `every`, over and over, until the
// client goes away or the server is destroyed. Whatever the drip holds (header lines, body
// bytes), the answer never completes.
class TrickleServer {
public:
    TrickleServer(std::string head, std::string drip, std::chrono::milliseconds every);
    ~TrickleServer();
    TrickleServer(const TrickleServer&) = delete;
    TrickleServer& operator=(const TrickleServer&) = delete;

    std::string url(const std::string& path) const;

    // Whether the first byte of the drip went out within the deadline.
    bool waitUntilDripping(std::chrono::milliseconds deadline);

private:
    void serve();
    // Waits until fd is readable or the timeout passed; false when the server is being destroyed.
    bool waitReadable(int fd, int timeoutMs);

    std::string head_;
    std::string drip_;
    std::chrono::milliseconds every_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    int port_ = -1;
    std::mutex mutex_;
    std::condition_variable dripping_;
    bool dripStarted_ = false;
    std::thread thread_;
};

} // namespace tieba::test
