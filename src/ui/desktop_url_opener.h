#pragma once
#include "platform/url_opener.h"

namespace tieba {

// Opens addresses in the user's browser through the desktop's default handler. Calls from a
// worker thread (the notice reader) are handed to the GUI thread.
class DesktopUrlOpener final : public UrlOpener {
public:
    void openUrl(const std::string& address) override;
};

} // namespace tieba
