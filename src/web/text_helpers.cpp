#include "web/text_helpers.h"

#include <boost/regex.hpp>

#include <algorithm>
#include <exception>
#include <iterator>

#include "core/encoding.h"

namespace tieba {
namespace {

bool startsTwoByteCharacter(char c)
{
    return static_cast<unsigned char>(c) >= 0x80;
}

// Byte index of the first match at a character boundary at or after `from` (itself a
// boundary), or npos. Candidates come from a plain byte search; the walk over the characters
// in between tells whether a candidate starts a character or sits on a second byte.
size_t findFrom(std::string_view text, std::string_view needle, size_t from)
{
    size_t boundary = from;
    while (true) {
        size_t candidate = text.find(needle, boundary);
        if (candidate == std::string_view::npos)
            return candidate;
        while (boundary < candidate)
            boundary += startsTwoByteCharacter(text[boundary]) ? 2 : 1;
        if (boundary == candidate)
            return candidate;
    }
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c - 'a' + 10;
}

} // namespace

long findFirst(std::string_view text, std::string_view needle)
{
    if (needle.empty())
        return text.empty() ? -1 : 1;
    size_t at = findFrom(text, needle, 0);
    return at == std::string_view::npos ? -1 : static_cast<long>(at) + 1;
}

long findLast(std::string_view text, std::string_view needle)
{
    if (needle.empty())
        return text.empty() ? -1 : 1;
    // Boundaries are only known from the start, so walk forward and keep the last hit.
    long last = -1;
    size_t at = findFrom(text, needle, 0);
    while (at != std::string_view::npos) {
        last = static_cast<long>(at) + 1;
        at = findFrom(text, needle, at + (startsTwoByteCharacter(text[at]) ? 2 : 1));
    }
    return last;
}

std::string leftBytes(std::string_view text, long n)
{
    if (n <= 0)
        return {};
    return std::string(text.substr(0, static_cast<size_t>(n)));
}

std::string rightBytes(std::string_view text, long n)
{
    if (n <= 0)
        return {};
    size_t count = std::min(static_cast<size_t>(n), text.size());
    return std::string(text.substr(text.size() - count));
}

std::string midBytes(std::string_view text, long start, long n)
{
    if (start < 1 || static_cast<size_t>(start) > text.size() || n <= 0)
        return {};
    return std::string(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(n)));
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t done = 0;
    size_t at = findFrom(text, from, 0);
    while (at != std::string_view::npos) {
        out.append(text.substr(done, at - done));
        out.append(to);
        done = at + from.size();
        at = findFrom(text, from, done);
    }
    out.append(text.substr(done));
    return out;
}

std::string textBetween(std::string_view source, std::string_view left, std::string_view right, int mode)
{
    const long leftLength = static_cast<long>(left.size());
    if (mode == kForwardCut) {
        long p = findFirst(source, left);
        if (p == -1)
            return {};
        std::string rest = midBytes(source, p + leftLength, static_cast<long>(source.size()));
        long q = findFirst(rest, right);
        return leftBytes(rest, q - 1);
    }
    long r = findLast(source, right);
    std::string head = leftBytes(source, r - 1);
    long l = findLast(head, left);
    if (l == -1)
        return {};
    return rightBytes(head, static_cast<long>(head.size()) - (l + leftLength - 1));
}

std::string urlEncodeUtf8(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto utf8 = convertStrict(text, "GB18030", "UTF-8");
    if (!utf8)
        return {};
    std::string out;
    out.reserve(utf8->size() * 3);
    for (char c : *utf8) {
        auto byte = static_cast<unsigned char>(c);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_') {
            out.push_back(c);
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

std::string urlDecodeUtf8(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            bytes.push_back(' ');
        } else if (c == '%' && i + 2 < text.size() && isHexDigit(text[i + 1]) && isHexDigit(text[i + 2])) {
            char decoded = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            // The program's texts never hold NUL bytes; "%00" names nothing it could keep.
            if (decoded != '\0')
                bytes.push_back(decoded);
            i += 2;
        } else {
            bytes.push_back(c);
        }
    }
    return convertStrict(bytes, "UTF-8", "GB18030").value_or(std::string());
}

bool waitForText(const std::function<std::string()>& read, Waiter& waiter, std::stop_token stop)
{
    for (int check = 0; check < 2; ++check) {
        if (!read().empty())
            return true;
        if (!waiter.waitMs(kOneSecondMs, stop))
            return false;
    }
    return false;
}

bool waitForText(const Synchronized<std::string>& variable, Waiter& waiter, std::stop_token stop)
{
    return waitForText([&variable] { return variable.get(); }, waiter, stop);
}

void collectMatches(std::string_view text, const std::string& pattern, TextList& matches)
{
    if (text.empty())
        return;
    // All or nothing: a match that blows the engine's limits halfway leaves the list as it was.
    TextList found;
    try {
        boost::regex expression(pattern, boost::regex::perl);
        boost::cregex_iterator it(text.data(), text.data() + text.size(), expression);
        for (boost::cregex_iterator end; it != end; ++it) {
            const auto& group = (*it)[1];
            found.emplace_back(group.matched ? group.str() : std::string());
        }
    } catch (const std::exception&) {
        return;
    }
    matches.insert(matches.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
}

} // namespace tieba
