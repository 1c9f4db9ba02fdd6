#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tieba {

// The only addresses the program hands to the browser: absolute http or https addresses that
// name a host. Notice pages, the banner, links and the download link all pass through this, so
// a page cannot make the desktop open a file, a share or another program's scheme.

// The address without its surrounding blanks when it is such an address ("HTTP://Host" counts;
// "file:", "javascript:", "//host", a bare path or a host without a scheme do not).
// Addresses are GB18030 texts; bytes of 0x80 and above may stand in the path and the host.
std::optional<std::string> webAddress(std::string_view address);

inline bool isWebAddress(std::string_view address)
{
    return webAddress(address).has_value();
}

} // namespace tieba
