#pragma once
#include <string>

namespace tieba {

// Powers the computer off, forcing running programs to close. The grab-first sign-in calls it
// after "抢第一完成" when the shutdown option is on. Only the program itself is handed the real
// one (tools/power_off); tests use a fake that records the request.
class PowerOff {
public:
    virtual ~PowerOff() = default;
    // Called from a worker thread.
    virtual void powerOff() = 0;
};

// Whether an address such as "http://127.0.0.1:18080" names this machine. A program built
// against a service on this machine (the demo) only reports a power-off instead of doing it.
inline bool addressIsOnThisMachine(const std::string& address)
{
    const size_t scheme = address.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    std::string host;
    if (start < address.size() && address[start] == '[') {
        const size_t close = address.find(']', start);
        host = address.substr(start, close == std::string::npos ? std::string::npos : close + 1 - start);
    } else {
        const size_t end = address.find_first_of(":/", start);
        host = address.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    return host == "localhost" || host.rfind("127.", 0) == 0 || host == "[::1]";
}

} // namespace tieba
