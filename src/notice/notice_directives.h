#pragma once
#include <stop_token>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "notice/notice_fields.h"

namespace tieba {

// The notice page's directive block, read into typed directives. The publisher writes the block
// between two "$" signs anywhere in an ordinary web page; the reader applies what comes out
// of parseNotice in the order given. Pure functions of GB18030 texts.

// "hbfangwen[": the address a click on the banner opens (empty: none). Always present.
struct BannerLinkDirective {
    std::string address;
    friend bool operator==(const BannerLinkDirective&, const BannerLinkDirective&) = default;
};

// "tancu[": an address to open in the browser at once; only when not empty.
struct OpenPageDirective {
    std::string address;
    friend bool operator==(const OpenPageDirective&, const OpenPageDirective&) = default;
};

// "xinxi[": a message for the message window; only when not empty.
struct MessageDirective {
    std::string text;
    friend bool operator==(const MessageDirective&, const MessageDirective&) = default;
};

// "yanse[": the banner's background colour; only when the number is not 0.
struct BackgroundDirective {
    NoticeColour colour;
    friend bool operator==(const BackgroundDirective&, const BackgroundDirective&) = default;
};

// "jiben[": field 1, the latest version of the program; only when that field is not empty.
struct VersionDirective {
    std::string latest;
    friend bool operator==(const VersionDirective&, const VersionDirective&) = default;
};

// One item of "wenben[": x # y # colour # size # bold # text.
struct TextDirective {
    int x = 0;
    int y = 0;
    NoticeColour colour;
    int size = 0; // points
    bool bold = false;
    std::string text;
    friend bool operator==(const TextDirective&, const TextDirective&) = default;
};

// One item of "lianjie[": x # y # width # caption # address.
struct LinkDirective {
    int x = 0;
    int y = 0;
    int width = 0;
    std::string caption;
    std::string address;
    friend bool operator==(const LinkDirective&, const LinkDirective&) = default;
};

// One item of "tupian[": x # y # width # height # address; the picture is stretched to the box.
struct PictureDirective {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string address;
    friend bool operator==(const PictureDirective&, const PictureDirective&) = default;
};

using NoticeDirective = std::variant<BannerLinkDirective, OpenPageDirective, MessageDirective, BackgroundDirective,
                                     VersionDirective, TextDirective, LinkDirective, PictureDirective>;

// The block of a page: the text between the first "$" and the next one, every HTML tag removed
// (each text matching "<.*?>", wherever it occurs: stripTags) and then every "&amp;" turned into
// "&". A stop request leaves the block empty.
std::string directiveBlock(std::string_view page, std::stop_token stop = {});

// The value of a key such as "jiben[" in a block: from behind its first occurrence up to the
// next "]"; empty when the key is absent.
std::string directiveValue(std::string_view block, std::string_view key);

// The directives of a block, in the order they take effect: the banner link, the page to open,
// the message, the background, the version, then every text, every link, every picture in
// their list order. The order of the keys in the block does not matter. List items with fewer
// fields than their directive needs are left out; fields beyond those are ignored.
std::vector<NoticeDirective> parseDirectiveBlock(std::string_view block);

// parseDirectiveBlock(directiveBlock(page)).
std::vector<NoticeDirective> parseNotice(std::string_view page);

} // namespace tieba
