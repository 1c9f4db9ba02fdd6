#include "web/stored_value.h"

#include <charconv>
#include <utility>

namespace tieba {
namespace {

// A stored number as the file holds it. Anything that is not a number (hand edits, a cut-off
// value, digits beyond the range of long long) counts as 0 instead of failing the whole value.
long long parseStoredNumber(std::string_view item)
{
    size_t start = 0;
    while (start < item.size() && (item[start] == ' ' || item[start] == '\t'))
        ++start;
    long long value = 0;
    auto [end, error] = std::from_chars(item.data() + start, item.data() + item.size(), value);
    (void)end;
    return error == std::errc() ? value : 0;
}

} // namespace

void charCodes(std::string_view text, std::vector<int>& codes)
{
    codes.reserve(codes.size() + text.size());
    for (char c : text)
        codes.push_back(static_cast<signed char>(c));
}

std::string encodeStoredValue(std::string_view text)
{
    std::vector<int> codes;
    charCodes(text, codes);
    if (codes.size() > 1)
        std::swap(codes.front(), codes.back());
    std::string out;
    out.reserve(codes.size() * 5);
    // The chain alternates sums of codes, which grow with the length of the text: keep 64 bits.
    long long previous = 0;
    for (size_t k = 0; k < codes.size(); ++k) {
        long long t = k == 0 ? 2LL * codes[0] + 20 : codes[k] - previous + 20;
        if (k > 0)
            out.push_back('+');
        out += std::to_string(t);
        previous = t;
    }
    return out;
}

std::string decodeStoredValue(std::string_view stored)
{
    if (stored.empty())
        return {};
    std::vector<long long> numbers;
    size_t from = 0;
    while (true) {
        size_t plus = stored.find('+', from);
        numbers.push_back(parseStoredNumber(stored.substr(from, plus == std::string_view::npos ? plus : plus - from)));
        if (plus == std::string_view::npos)
            break;
        from = plus + 1;
    }

    // 128-bit sums: two numbers near the ends of the long long range must not overflow. Only
    // the low byte of each value matters in the end.
    std::vector<__int128> values(numbers.size());
    values[0] = (static_cast<__int128>(numbers[0]) - 20) / 2;
    for (size_t k = 1; k < numbers.size(); ++k)
        values[k] = static_cast<__int128>(numbers[k]) + numbers[k - 1] - 20;
    if (values.size() >= 2)
        std::swap(values.front(), values.back());

    std::string out;
    out.reserve(values.size());
    for (__int128 v : values) {
        auto code = static_cast<unsigned char>(static_cast<unsigned __int128>(v) & 0xFF);
        if (code != 0)
            out.push_back(static_cast<char>(code));
    }
    return out;
}

} // namespace tieba
