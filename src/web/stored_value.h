#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tieba {

// The reversible encoding through which every value of the data file passes: one signed
// decimal number per byte, chained, joined by "+" ("abc" is stored as "218+-100+217").
std::string encodeStoredValue(std::string_view text);
std::string decodeStoredValue(std::string_view stored);

// Appends the signed code of every byte (0x80..0xFF give -128..-1).
void charCodes(std::string_view text, std::vector<int>& codes);

} // namespace tieba
