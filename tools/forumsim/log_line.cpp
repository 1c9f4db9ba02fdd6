#include "log_line.h"

#include <algorithm>
#include <cctype>

namespace tieba::forumsim {
namespace {

constexpr const char* kMask = "***";

bool namedLikeAPassword(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.find("pass") != std::string::npos || name.find("pwd") != std::string::npos;
}

// "a=1; b=2" becomes "a=***; b=***".
std::string maskCookieValues(const std::string& cookie)
{
    std::string masked;
    size_t start = 0;
    while (start < cookie.size()) {
        size_t end = cookie.find(';', start);
        if (end == std::string::npos)
            end = cookie.size();
        const std::string piece = cookie.substr(start, end - start);
        const size_t equals = piece.find('=');
        masked += equals == std::string::npos ? piece : piece.substr(0, equals + 1) + kMask;
        if (end < cookie.size())
            masked += ';';
        start = end + 1;
    }
    return masked;
}

} // namespace

std::string maskPasswordFields(const std::string& fields)
{
    std::string masked;
    size_t start = 0;
    while (start <= fields.size()) {
        size_t end = fields.find('&', start);
        if (end == std::string::npos)
            end = fields.size();
        const std::string piece = fields.substr(start, end - start);
        const size_t equals = piece.find('=');
        if (equals != std::string::npos && namedLikeAPassword(piece.substr(0, equals)))
            masked += piece.substr(0, equals + 1) + kMask;
        else
            masked += piece;
        if (end == fields.size())
            break;
        masked += '&';
        start = end + 1;
    }
    return masked;
}

std::string logLine(const Request& request)
{
    std::string target = request.target;
    const size_t query = target.find('?');
    if (query != std::string::npos)
        target = target.substr(0, query + 1) + maskPasswordFields(target.substr(query + 1));
    std::string line = request.method + " " + target;
    if (!request.body.empty())
        line += "  " + maskPasswordFields(request.body);
    if (!request.cookie.empty())
        line += "  Cookie: " + maskCookieValues(request.cookie);
    return line;
}

} // namespace tieba::forumsim
