#include "platform/web_address.h"

#include <algorithm>

namespace tieba {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char wanted, char given) { return lower(given) == wanted; });
}

// host, host:port, [v6]:port, each perhaps behind user@.
bool isAuthorityWithHost(std::string_view authority)
{
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::string_view port;
    if (authority.starts_with('[')) {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos || close == 1)
            return false;
        port = authority.substr(close + 1);
        if (!port.empty() && !port.starts_with(':'))
            return false;
    } else {
        const size_t colon = authority.find(':');
        if (colon == 0 || authority.empty())
            return false;
        if (colon != std::string_view::npos)
            port = authority.substr(colon);
    }
    if (port.starts_with(':'))
        port.remove_prefix(1);
    return std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<std::string> webAddress(std::string_view address)
{
    while (!address.empty() && isBlank(address.front()))
        address.remove_prefix(1);
    while (!address.empty() && isBlank(address.back()))
        address.remove_suffix(1);
    if (std::any_of(address.begin(), address.end(), isControl))
        return std::nullopt;

    std::string_view rest;
    if (startsWithNoCase(address, "http://"))
        rest = address.substr(7);
    else if (startsWithNoCase(address, "https://"))
        rest = address.substr(8);
    else
        return std::nullopt;

    // Browsers read a backslash in the host part as a slash; the check would see another host.
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (authority.find('\\') != std::string_view::npos || authority.find(' ') != std::string_view::npos ||
        !isAuthorityWithHost(authority))
        return std::nullopt;
    return std::string(address);
}

} // namespace tieba
