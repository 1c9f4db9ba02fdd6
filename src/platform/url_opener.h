#pragma once
#include <string>

#include "platform/web_address.h"

namespace tieba {

// What became of a request to open an address.
enum class OpenResult {
    Opened,  // handed to the browser (from a worker thread: queued for the GUI thread to hand over)
    Ignored, // not a web address: nothing was opened and nothing is told
    Failed,  // a web address that the desktop could not open (no browser): the user should be told
};

// Opens an address with the system's default handler (the web browser). Hyperlinks, the
// banner and the notice reader call it; tests hand in a recording fake so no browser opens.
// Every address passes the web-address check here, whatever the opener behind it.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;

    // `address` is a GB18030 text, as the program keeps all its texts. Callable from any thread.
    OpenResult openUrl(const std::string& address)
    {
        const auto web = webAddress(address);
        if (!web)
            return OpenResult::Ignored;
        return openWebAddress(*web) ? OpenResult::Opened : OpenResult::Failed;
    }

protected:
    // `address` is an http or https address with a host, without surrounding blanks. False when
    // it could not be opened.
    virtual bool openWebAddress(const std::string& address) = 0;
};

} // namespace tieba
