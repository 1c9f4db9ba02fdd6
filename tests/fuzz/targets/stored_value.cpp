// The encoding of the data file's values: decoding any text, and the round trip of any value.
#include "fuzz/fuzz_targets.h"

#include "web/stored_value.h"

namespace tieba::fuzz {

void storedValue(std::string_view input)
{
    const std::string decoded = decodeStoredValue(input);
    require(decoded.find('\0') == std::string::npos, "a decoded value holds NUL");

    const std::string stored = encodeStoredValue(input);
    require(stored.find_first_not_of("0123456789+-") == std::string::npos, "a stored value holds other bytes");
    // NUL is the one byte a value cannot carry: it is dropped on the way back.
    if (input.find('\0') == std::string_view::npos)
        require(decodeStoredValue(stored) == input, "decodeStoredValue(encodeStoredValue(text)) is not the text");
}

} // namespace tieba::fuzz
