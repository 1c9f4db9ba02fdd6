#include "sockets.h"

#ifdef __linux__
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>
#endif

namespace tieba::forumsim {

#ifdef __linux__
namespace {

int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

} // namespace

void shutdownConnectionsOnPort(int port)
{
    std::vector<int> fds;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] >= '0' && entry->d_name[0] <= '9')
                fds.push_back(std::atoi(entry->d_name));
        }
        closedir(dir);
    }
    for (const int fd : fds) {
        sockaddr_storage local{};
        socklen_t length = sizeof local;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 || portOf(local) != port)
            continue;
        sockaddr_storage peer{};
        length = sizeof peer;
        // The listening socket has no peer; a client's socket to us has another local port.
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
            continue;
        shutdown(fd, SHUT_RDWR);
    }
}

bool portIsFree(const std::string& host, int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        return true; // not an IPv4 literal: let the server's own bind decide
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return true;
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes); // a port in TIME_WAIT is free
    const bool free = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return free;
}
#else
void shutdownConnectionsOnPort(int)
{
}

bool portIsFree(const std::string&, int)
{
    return true;
}
#endif

} // namespace tieba::forumsim
