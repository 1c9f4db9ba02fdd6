// The notice page of any shape, and any number field: input is "page 0x1F number text".
#include "fuzz/fuzz_targets.h"

#include <type_traits>
#include <variant>

#include "notice/notice_directives.h"
#include "notice/notice_fields.h"

namespace tieba::fuzz {
namespace {

void requireColour(const NoticeColour& colour)
{
    for (int part : {colour.red, colour.green, colour.blue})
        require(part >= 0 && part <= 255, "a colour part outside 0..255");
}

void requireInBlock(std::string_view block, const std::string& text)
{
    require(block.find(text) != std::string_view::npos, "a directive text that is not in the block");
}

// The texts of every directive come from the block; colours are colours.
void checkDirective(std::string_view block, const NoticeDirective& directive)
{
    std::visit(
        [&](const auto& d) {
            using D = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<D, BannerLinkDirective> || std::is_same_v<D, OpenPageDirective> ||
                          std::is_same_v<D, PictureDirective>) {
                requireInBlock(block, d.address);
            } else if constexpr (std::is_same_v<D, MessageDirective> || std::is_same_v<D, TextDirective>) {
                requireInBlock(block, d.text);
            } else if constexpr (std::is_same_v<D, VersionDirective>) {
                requireInBlock(block, d.latest);
            } else if constexpr (std::is_same_v<D, LinkDirective>) {
                requireInBlock(block, d.caption);
                requireInBlock(block, d.address);
            }
            if constexpr (std::is_same_v<D, BackgroundDirective> || std::is_same_v<D, TextDirective>)
                requireColour(d.colour);
        },
        directive);
}

} // namespace

void noticeBlock(std::string_view input)
{
    const std::vector<std::string> pieces = splitPieces(input, 2);
    const std::string& page = pieces[0];

    const std::string block = directiveBlock(page);
    require(block.size() <= page.size(), "a directive block longer than its page");
    const std::vector<NoticeDirective> directives = parseDirectiveBlock(block);
    require(!directives.empty() && std::holds_alternative<BannerLinkDirective>(directives.front()),
            "the banner link does not come first");
    for (const NoticeDirective& directive : directives)
        checkDirective(block, directive);
    require(parseNotice(page) == directives, "parseNotice differs from its two steps");

    const std::string& field = pieces[1];
    (void)noticeInt(field);
    requireColour(colourFromNumber(noticeNumber(field)));
    require(foldFullWidth(field).size() <= field.size(), "folding made a text longer");
    for (char separator : {'#', '%'})
        for (const std::string& piece : splitNoticeList(field, separator))
            require(piece.find(separator) == std::string::npos, "a list piece holds its separator");
}

} // namespace tieba::fuzz
