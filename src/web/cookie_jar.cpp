#include "web/cookie_jar.h"

#include <boost/regex.hpp>

#include <cerrno>
#include <exception>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "web/stored_value.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

// CR, LF or NUL in a header value would end the Cookie header early and start another one.
void appendHeaderSafe(std::string& out, std::string_view text)
{
    for (char c : text)
        if (c != '\r' && c != '\n' && c != '\0')
            out.push_back(c);
}

std::string cookieSection(const std::string& accountKey)
{
    return "cookies" + accountKey;
}

// Section lines start with "[" (after blanks). A cookie name may hold a "[" further on (the
// writer refuses only names that start with one), and such an entry must not end the section.
bool startsSection(std::string_view line)
{
    size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '[';
}

} // namespace

#ifdef _WIN32
std::string dataFilePath()
{
    std::vector<char> buffer(MAX_PATH + 1);
    while (true) {
        const DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return "shuju.dat";
        if (length < buffer.size())
            break;
        buffer.resize(length + 1);
    }
    std::string path(buffer.data());
    if (path.empty() || (path.back() != '\\' && path.back() != '/'))
        path.push_back('\\');
    return path + "shuju.dat";
}
#else
std::string dataFilePath()
{
    std::vector<char> buffer(256);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return "shuju.dat"; // the current directory is gone; a relative name still means it
        buffer.resize(buffer.size() * 2);
    }
    std::string path(buffer.data());
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path + "shuju.dat";
}
#endif

std::string buildCookieHeader(const std::string& dataFile, const std::string& accountKey)
{
    const std::string start = "[" + cookieSection(accountKey) + "]";
    std::string header;
    bool inSection = false;
    for (const std::string& line : readTextLines(dataFile)) {
        if (!inSection) {
            inSection = startsSection(line) && contains(line, start);
            continue;
        }
        if (startsSection(line))
            break;
        long equals = findFirst(line, "=");
        if (equals == -1)
            continue;
        std::string_view name = std::string_view(line).substr(0, static_cast<size_t>(equals - 1));
        // The stored value is the piece between the first "=" and a further one, if any.
        std::string_view stored = std::string_view(line).substr(static_cast<size_t>(equals));
        stored = stored.substr(0, stored.find('='));
        // An entry without a value has no ";" of its own and would run into the next cookie.
        if (stored.empty())
            continue;
        appendHeaderSafe(header, name);
        header.push_back('=');
        appendHeaderSafe(header, decodeStoredValue(stored));
    }
    return header;
}

ProfileWrite storeSetCookies(std::string_view headerText, const std::string& dataFile, const std::string& accountKey)
{
    static const boost::regex setCookie("Set-Cookie: (.*?)=(.*?;)", boost::regex::perl);
    const std::string section = cookieSection(accountKey);
    std::vector<std::pair<std::string, std::string>> cookies;
    try {
        boost::cregex_iterator it(headerText.data(), headerText.data() + headerText.size(), setCookie);
        for (boost::cregex_iterator end; it != end; ++it) {
            std::string name = (*it)[1].str();
            std::string value = (*it)[2].str();
            if (!contains(name, "USER_RS") && value.size() <= kMaxCookieValueBytes)
                cookies.emplace_back(std::move(name), std::move(value));
        }
    } catch (const std::exception&) {
        return {};
    }
    if (cookies.empty())
        return {};
    return editProfile(dataFile, [&](IniDocument& file) {
        size_t held = file.entryCount(section);
        for (const auto& [name, value] : cookies) {
            // In order, so a later cookie of the same name wins. A name that runs across a line
            // break is refused by the document and never reaches the file.
            const bool known = file.value(section, name).has_value();
            if (!known && held >= kMaxCookiesPerSection)
                continue;
            if (file.set(section, name, encodeStoredValue(value)) != IniDocument::Edit::Refused && !known)
                ++held;
        }
    });
}

} // namespace tieba
