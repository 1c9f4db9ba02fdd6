#include "transfer_trickle_server.h"
#include "http/test_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace tieba::test {

TrickleServer::TrickleServer(std::string head, std::string drip, std::chrono::milliseconds every)
    : head_(std::move(head)), drip_(std::move(drip)), every_(every)
{
    listenFd_ = boundSocket(port_, true);
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    thread_ = std::thread([this] { serve(); });
}

TrickleServer::~TrickleServer()
{
    const char byte = 1;
    (void)!::write(wakePipe_[1], &byte, 1);
    thread_.join();
    ::close(listenFd_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
}

std::string TrickleServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool TrickleServer::waitUntilDripping(std::chrono::milliseconds deadline)
{
    std::unique_lock lock(mutex_);
    return dripping_.wait_for(lock, deadline, [this] { return dripStarted_; });
}

bool TrickleServer::waitReadable(int fd, int timeoutMs)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (::poll(fds, 2, timeoutMs) < 0) {
    }
    return (fds[1].revents & POLLIN) == 0;
}

void TrickleServer::serve()
{
    if (!waitReadable(listenFd_, -1))
        return;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    // The request head only: the cases send GET requests.
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (!waitReadable(fd, -1)) {
            ::close(fd);
            return;
        }
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            ::close(fd);
            return;
        }
        request.append(buffer, static_cast<size_t>(got));
    }
    bool open = ::send(fd, head_.data(), head_.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(head_.size());
    const int everyMs = static_cast<int>(every_.count());
    for (size_t at = 0; open; at = (at + 1) % drip_.size()) {
        open = ::send(fd, &drip_[at], 1, MSG_NOSIGNAL) == 1;
        if (at == 0) {
            std::lock_guard lock(mutex_);
            dripStarted_ = true;
            dripping_.notify_all();
        }
        // A readable socket here means the client closed it (or sent what nobody reads).
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (open && ::poll(fds, 2, everyMs) > 0)
            open = false;
    }
    ::close(fd);
}

} // namespace tieba::test
