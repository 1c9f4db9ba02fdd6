#pragma once
#include "platform/url_opener.h"

namespace tieba {

// Opens web addresses in the user's browser through the desktop's default handler. Calls from a
// worker thread (the notice reader) are handed to the GUI thread and count as opened.
class DesktopUrlOpener final : public UrlOpener {
protected:
    bool openWebAddress(const std::string& address) override;
};

} // namespace tieba
