#include "test_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <stdexcept>

namespace tieba::test {
namespace {

// The Content-Length of a request head, 0 when it has none.
size_t contentLength(const std::string& head)
{
    std::string lower = head;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::stoul(lower.substr(at + 17));
}

} // namespace

int boundSocket(int& port, bool listening)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("bind");
    if (listening && ::listen(fd, 8) != 0)
        throw std::runtime_error("listen");
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

ScriptedServer::ScriptedServer(std::string reply, After after) : reply_(std::move(reply)), after_(after)
{
    listenFd_ = boundSocket(port_, true);
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    thread_ = std::thread([this] { serve(); });
}

ScriptedServer::~ScriptedServer()
{
    const char byte = 1;
    (void)!::write(wakePipe_[1], &byte, 1);
    thread_.join();
    ::close(listenFd_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
}

bool ScriptedServer::waitForRequest(std::chrono::milliseconds deadline)
{
    std::unique_lock lock(mutex_);
    return requestArrived_.wait_for(lock, deadline, [this] { return requestSeen_; });
}

// Waits until fd is readable; false when the server is being destroyed.
bool ScriptedServer::waitReadable(int fd)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
    }
    return (fds[1].revents & POLLIN) == 0;
}

std::string ScriptedServer::request()
{
    std::lock_guard lock(mutex_);
    return request_;
}

void ScriptedServer::serve()
{
    if (!waitReadable(listenFd_))
        return;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    std::string request;
    size_t headEnd = std::string::npos;
    size_t expected = std::string::npos;
    char buffer[65536];
    while (headEnd == std::string::npos || request.size() < expected) {
        if (!waitReadable(fd)) {
            ::close(fd);
            return;
        }
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            ::close(fd);
            return;
        }
        request.append(buffer, static_cast<size_t>(got));
        if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos)
            expected = headEnd + 4 + contentLength(request.substr(0, headEnd + 2));
    }
    {
        std::lock_guard lock(mutex_);
        requestSeen_ = true;
        request_ = std::move(request);
    }
    requestArrived_.notify_all();

    (void)!::send(fd, reply_.data(), reply_.size(), MSG_NOSIGNAL);
    if (after_ == After::Hold) {
        pollfd wake{wakePipe_[0], POLLIN, 0};
        while (::poll(&wake, 1, -1) < 0) {
        }
    } else if (after_ == After::Reset) {
        linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(fd);
}

SilentListener::SilentListener() : fd_(boundSocket(port_, true)) {}

SilentListener::~SilentListener()
{
    ::close(fd_);
}

bool SilentListener::hasPendingConnection() const
{
    pollfd fds{fd_, POLLIN, 0};
    return ::poll(&fds, 1, 0) > 0 && (fds.revents & POLLIN);
}

int closedPort()
{
    int port = 0;
    const int fd = boundSocket(port, false);
    ::close(fd);
    return port;
}

} // namespace tieba::test
