#include "notice/notice_directives.h"

#include "notice/tag_stripping.h"
#include "settings/settings_store.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

constexpr std::string_view kVersionKey = "jiben[";
constexpr std::string_view kTextsKey = "wenben[";
constexpr std::string_view kLinksKey = "lianjie[";
constexpr std::string_view kMessageKey = "xinxi[";
constexpr std::string_view kPicturesKey = "tupian[";
constexpr std::string_view kBannerLinkKey = "hbfangwen[";
constexpr std::string_view kOpenPageKey = "tancu[";
constexpr std::string_view kBackgroundKey = "yanse[";

// The items of a list value that have at least `fields` fields, each split into its fields.
std::vector<TextList> itemsWithFields(std::string_view value, size_t fields)
{
    std::vector<TextList> items;
    for (const std::string& item : splitNoticeList(value, '%')) {
        TextList split = splitNoticeList(item, '#');
        if (split.size() >= fields)
            items.push_back(std::move(split));
    }
    return items;
}

} // namespace

std::string directiveBlock(std::string_view page, std::stop_token stop)
{
    return replaceAll(stripTags(textBetween(page, "$", "$"), std::move(stop)), "&amp;", "&");
}

std::string directiveValue(std::string_view block, std::string_view key)
{
    return textBetween(block, key, "]");
}

std::vector<NoticeDirective> parseDirectiveBlock(std::string_view block)
{
    std::vector<NoticeDirective> directives;
    directives.emplace_back(BannerLinkDirective{directiveValue(block, kBannerLinkKey)});

    if (std::string address = directiveValue(block, kOpenPageKey); !address.empty())
        directives.emplace_back(OpenPageDirective{std::move(address)});

    if (std::string text = directiveValue(block, kMessageKey); !text.empty())
        directives.emplace_back(MessageDirective{std::move(text)});

    if (const long long colour = noticeNumber(directiveValue(block, kBackgroundKey)); colour != 0)
        directives.emplace_back(BackgroundDirective{colourFromNumber(colour)});

    // An empty first field names no version: there is nothing to compare with the program's.
    if (std::string latest = elementAt(splitNoticeList(directiveValue(block, kVersionKey), '#'), 1);
        !latest.empty())
        directives.emplace_back(VersionDirective{std::move(latest)});

    for (const TextList& f : itemsWithFields(directiveValue(block, kTextsKey), 6))
        directives.emplace_back(TextDirective{noticeInt(f[0]), noticeInt(f[1]), colourFromNumber(noticeNumber(f[2])),
                                              noticeInt(f[3]), flagFromText(f[4]), f[5]});

    for (const TextList& f : itemsWithFields(directiveValue(block, kLinksKey), 5))
        directives.emplace_back(LinkDirective{noticeInt(f[0]), noticeInt(f[1]), noticeInt(f[2]), f[3], f[4]});

    for (const TextList& f : itemsWithFields(directiveValue(block, kPicturesKey), 5))
        directives.emplace_back(
            PictureDirective{noticeInt(f[0]), noticeInt(f[1]), noticeInt(f[2]), noticeInt(f[3]), f[4]});

    return directives;
}

std::vector<NoticeDirective> parseNotice(std::string_view page)
{
    return parseDirectiveBlock(directiveBlock(page));
}

} // namespace tieba
