#include "web/http_exchange.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/encoding.h"
#include "web/cookie_policy.h"
#include "web/http_transfer.h"

namespace tieba {
namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The program's texts are GB18030; the service expects UTF-8 on the wire.
std::string wireText(const std::string& text)
{
    if (isAscii(text))
        return text;
    return convertLenient(text, "GB18030", "UTF-8");
}

// Chinese in an address goes out as percent-encoded UTF-8; everything ASCII stays as the caller
// wrote it, except spaces, which curl would refuse.
std::string wireUrl(const std::string& url)
{
    std::string utf8 = isAscii(url) ? url : convertStrict(url, "GB18030", "UTF-8").value_or(url);
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || byte == ' ') {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

// A stored cookie value is whatever the server once sent; line breaks or NUL bytes in it must
// never split the request's header block.
std::string cookieHeaderLine(std::string value)
{
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    if (value.empty())
        return "Cookie;"; // curl's spelling of an empty header that is still sent
    return "Cookie: " + value;
}

bool isSetCookieLine(std::string_view line)
{
    static constexpr std::string_view name = "set-cookie";
    size_t at = 0;
    if (line.size() < name.size())
        return false;
    for (char expected : name)
        if (std::tolower(static_cast<unsigned char>(line[at++])) != expected)
            return false;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    return at < line.size() && line[at] == ':';
}

// The final response's header lines as the cookie jar reads them: whatever case the server
// wrote, every cookie line becomes "Set-Cookie: value". Empty when no line sets a cookie.
std::string headerTextForJar(const std::vector<std::string>& lines)
{
    if (std::none_of(lines.begin(), lines.end(), [](const std::string& line) { return isSetCookieLine(line); }))
        return {};
    std::string text;
    for (const std::string& line : lines) {
        if (line.rfind("HTTP/", 0) == 0)
            continue;
        if (isSetCookieLine(line)) {
            std::string_view value = std::string_view(line).substr(line.find(':') + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                value.remove_prefix(1);
            text += "Set-Cookie: ";
            text += value;
        } else {
            text += line;
        }
    }
    return text;
}

// The charset parameter of a Content-Type value, lower case; empty when none is given.
std::string charsetOf(std::string_view contentType)
{
    const std::string lower = lowerAscii(contentType);
    const size_t at = lower.find("charset=");
    if (at == std::string::npos)
        return {};
    std::string_view value = std::string_view(lower).substr(at + 8);
    value = value.substr(0, value.find(';'));
    value = trimmed(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return std::string(trimmed(value));
}

std::string fromUtf8(std::string_view body)
{
    if (body.substr(0, 3) == "\xEF\xBB\xBF")
        body.remove_prefix(3);
    if (isAscii(body))
        return std::string(body);
    return convertLenient(body, "UTF-8", "GB18030");
}

// The body as a GB18030 text, by the charset the response declares. Without a declaration a
// body that is valid UTF-8 is taken as UTF-8; anything else is kept byte for byte.
std::string pageTextFromBody(std::string body, std::string_view contentType)
{
    const std::string charset = charsetOf(contentType);
    if (charset == "gbk" || charset == "gb2312" || charset == "gb18030")
        return body;
    if (charset == "utf-8" || charset == "utf8")
        return fromUtf8(body);
    if (charset.empty() && !isAscii(body)) {
        std::string_view bytes = body;
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        if (std::optional<std::string> converted = convertStrict(bytes, "UTF-8", "GB18030"))
            return std::move(*converted);
    }
    return body;
}

} // namespace

std::string httpExchange(const std::string& url, const std::string& method, const std::string& body,
                         const std::string& dataFile, int account, std::stop_token stop)
{
    if (stop.stop_requested())
        return {};
    const std::string accountKey = std::to_string(account);

    TransferRequest request;
    request.url = wireUrl(url);
    request.post = method == "POST";
    if (request.post)
        request.body = wireText(body);
    request.headers = {
        "Content-Type: application/x-www-form-urlencoded",
        cookieHeaderLine(buildCookieHeader(dataFile, accountKey)),
        "Expect:",
    };

    TransferResult result = runTransfer(request, std::move(stop));
    if (!result.ok)
        return {};
    const std::string cookieText = headerTextForJar(result.headerLines);
    // A redirect may end on another host: its cookies are not the account's and would be sent
    // to the forum with every later request.
    if (!cookieText.empty() && cookiesAllowedFrom(result.effectiveUrl, account)) {
        const ProfileWrite stored = storeSetCookies(cookieText, dataFile, accountKey);
        if (!stored.ok)
            reportCookieStoreFailure(stored.error);
    }
    return pageTextFromBody(std::move(result.body), result.contentType);
}

std::string fetchBytes(const std::string& url, std::stop_token stop, std::size_t maxBytes)
{
    TransferRequest request;
    request.url = wireUrl(url);
    request.maxBodyBytes = maxBytes;
    TransferResult result = runTransfer(request, std::move(stop));
    if (!result.ok || result.status >= 400)
        return {};
    return std::move(result.body);
}

} // namespace tieba
