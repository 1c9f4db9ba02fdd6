// Storing the cookies of any response header text into any data file, then building the Cookie
// header from it: input is "header text 0x1F data file".
#include "fuzz/fuzz_targets.h"

#include <boost/regex.hpp>

#include "platform/ini_profile.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba::fuzz {
namespace {

std::string withoutLineBreaks(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return text;
}

} // namespace

void cookieJar(std::string_view input)
{
    const std::vector<std::string> pieces = splitPieces(input, 2);
    const std::string& headerText = pieces[0];
    writeScratchFile(pieces[1]);
    const std::string& path = scratchDataFile();
    const std::string account = "1";

    storeSetCookies(headerText, path, account);
    const std::string stored = readScratchFile();
    storeSetCookies(headerText, path, account);
    require(readScratchFile() == stored, "storing the same cookies twice changed the file");

    const std::string header = buildCookieHeader(path, account);
    require(header.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
            "the Cookie header holds CR, LF or NUL");

    // Every cookie of the response that a fresh data file now holds reaches the header. (A data
    // file edited by hand may hide entries behind look-alike section lines.)
    if (!pieces[1].empty())
        return;
    require(readProfile(path).entryCount("cookies" + account) <= kMaxCookiesPerSection,
            "one response filled the section beyond its cap");
    static const boost::regex setCookie("Set-Cookie: (.*?)=(.*?;)", boost::regex::perl);
    try {
        boost::sregex_iterator it(headerText.begin(), headerText.end(), setCookie);
        for (boost::sregex_iterator end; it != end; ++it) {
            const std::string value = readProfileString(path, "cookies" + account, (*it)[1].str(), "\n");
            if (value == "\n" || value.empty())
                continue;
            require(header.find("=" + withoutLineBreaks(decodeStoredValue(value))) != std::string::npos,
                    "a stored cookie is missing from the header: " + (*it)[1].str());
        }
    } catch (const std::runtime_error&) {
        // The pattern gave up on this text; storeSetCookies stored nothing either.
    }
}

} // namespace tieba::fuzz
