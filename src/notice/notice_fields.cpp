#include "notice/notice_fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tieba {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

size_t skipDigits(std::string_view text, size_t at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

// Length of the decimal number at the start of `text`, 0 when there is none.
size_t numberLength(std::string_view text)
{
    size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    const size_t integerStart = at;
    at = skipDigits(text, at);
    bool digits = at > integerStart;
    if (at < text.size() && text[at] == '.') {
        const size_t fractionEnd = skipDigits(text, at + 1);
        digits = digits || fractionEnd > at + 1;
        if (digits)
            at = fractionEnd;
    }
    if (!digits)
        return 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        const size_t exponentEnd = skipDigits(text, exponent);
        if (exponentEnd > exponent)
            at = exponentEnd;
    }
    return at;
}

// Whether a decimal number (as numberLength accepts it) is at least 1 in magnitude, judged by
// its decimal exponent alone; only asked about numbers outside a double's range.
bool isHuge(std::string_view number)
{
    size_t at = number.front() == '-' ? 1 : 0;
    long long magnitude = 0; // decimal exponent of the first significant digit
    bool significant = false;
    for (; at < number.size() && isDigit(number[at]); ++at) {
        if (significant)
            ++magnitude;
        else if (number[at] != '0')
            significant = true;
    }
    if (!significant && at < number.size() && number[at] == '.') {
        for (++at; at < number.size() && number[at] == '0'; ++at)
            --magnitude;
        --magnitude;
    }
    while (at < number.size() && number[at] != 'e' && number[at] != 'E')
        ++at;
    if (at < number.size()) {
        ++at;
        const bool negative = at < number.size() && number[at] == '-';
        if (at < number.size() && (number[at] == '-' || number[at] == '+'))
            ++at;
        long long exponent = 0;
        for (; at < number.size(); ++at)
            exponent = std::min<long long>(exponent * 10 + (number[at] - '0'), 1'000'000'000);
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude >= 0;
}

} // namespace

TextList splitNoticeList(std::string_view text, char separator)
{
    TextList pieces;
    if (text.empty())
        return pieces;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            if (start < text.size())
                pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string foldFullWidth(std::string_view text)
{
    std::string folded;
    folded.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80 || at + 1 >= text.size()) {
            folded += text[at++];
            continue;
        }
        const auto trail = static_cast<unsigned char>(text[at + 1]);
        if (trail >= 0x30 && trail <= 0x39) {
            // A four-byte character: none of them is a full-width form.
            const size_t length = std::min<size_t>(4, text.size() - at);
            folded.append(text.substr(at, length));
            at += length;
            continue;
        }
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            folded += static_cast<char>(trail - 0x80);
        else if (lead == 0xA1 && trail == 0xA1)
            folded += ' ';
        else
            folded.append(text.substr(at, 2));
        at += 2;
    }
    return folded;
}

long long noticeNumber(std::string_view text)
{
    const std::string folded = foldFullWidth(text);
    std::string_view rest = folded;
    while (!rest.empty() && isBlank(rest.front()))
        rest.remove_prefix(1);
    const size_t length = numberLength(rest);
    if (length == 0)
        return 0;
    std::string_view number = rest.substr(0, length);
    // from_chars takes no leading "+".
    if (number.front() == '+')
        number.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Beyond a double's range: huge values clamp to the largest of their sign, tiny ones read 0.
        if (!isHuge(number))
            return 0;
        return number.front() == '-' ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    }
    if (error != std::errc() || std::isnan(value))
        return 0;
    value = std::trunc(value);
    // 2^63 is the first double above the range; everything at or over it is clamped.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<long long>::max();
    if (value < -limit)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(value);
}

int noticeInt(std::string_view text)
{
    const long long value = noticeNumber(text);
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

NoticeColour colourFromNumber(long long value)
{
    const auto bits = static_cast<unsigned long long>(value);
    return NoticeColour{static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                        static_cast<int>((bits >> 16) & 0xFF)};
}

} // namespace tieba
