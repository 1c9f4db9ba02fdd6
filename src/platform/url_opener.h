#pragma once
#include <string>

namespace tieba {

// Opens an address with the system's default handler (the web browser). Hyperlinks, the
// banner and the notice reader call it; tests hand in a recording fake so no browser opens.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // `address` is a GB18030 text, as the program keeps all its texts. Callable from any thread.
    virtual void openUrl(const std::string& address) = 0;
};

} // namespace tieba
