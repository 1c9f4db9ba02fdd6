// Cutting, searching and form-encoding on any bytes: input is "source 0x1F left 0x1F right".
#include "fuzz/fuzz_targets.h"

#include "web/text_helpers.h"

namespace tieba::fuzz {
namespace {

bool isSubstring(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

void checkCut(const std::string& source, const std::string& left, const std::string& right, int mode)
{
    const std::string cut = textBetween(source, left, right, mode);
    require(isSubstring(source, cut), "textBetween gave bytes that are not in the source");
    // A cut that found something stands between its two markers in the source.
    if (!cut.empty())
        require(isSubstring(source, left + cut + right), "textBetween gave a piece outside its markers");
}

void checkSearch(const std::string& text, const std::string& needle)
{
    const long first = findFirst(text, needle);
    const long last = findLast(text, needle);
    require((first == -1) == (last == -1), "findFirst and findLast disagree on whether the needle is there");
    if (first == -1)
        return;
    require(first >= 1 && first <= last && static_cast<size_t>(last) <= text.size(), "position out of range");
    if (!needle.empty()) {
        require(text.compare(static_cast<size_t>(first - 1), needle.size(), needle) == 0, "findFirst hit no needle");
        require(text.compare(static_cast<size_t>(last - 1), needle.size(), needle) == 0, "findLast hit no needle");
    }
}

void checkUrlCoding(const std::string& text)
{
    const std::string encoded = urlEncodeUtf8(text);
    require(encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._+%") ==
                std::string::npos,
            "urlEncodeUtf8 left a byte that needs encoding");
    // Every GB18030 text without NUL comes back from its encoding; other bytes encode to nothing.
    if (!encoded.empty() && text.find('\0') == std::string::npos)
        require(urlDecodeUtf8(encoded) == text, "urlDecodeUtf8(urlEncodeUtf8(text)) is not the text");
    (void)urlDecodeUtf8(text);
}

} // namespace

void textHelpers(std::string_view input)
{
    const std::vector<std::string> pieces = splitPieces(input, 3);
    const std::string& source = pieces[0];
    const std::string& left = pieces[1];
    const std::string& right = pieces[2];
    checkCut(source, left, right, kForwardCut);
    checkCut(source, left, right, kBackwardCut);
    checkSearch(source, left);
    checkSearch(source, right);
    checkUrlCoding(source);
    checkUrlCoding(left);
}

} // namespace tieba::fuzz
