#include <gtest/gtest.h>

#include "core/encoding.h"
#include "notice/notice_directives.h"

namespace tieba {

// Readable failure messages: a directive as one line.
void PrintTo(const NoticeDirective& directive, std::ostream* out)
{
    std::visit(
        [out](const auto& d) {
            using D = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<D, BannerLinkDirective>)
                *out << "bannerLink(" << d.address << ")";
            else if constexpr (std::is_same_v<D, OpenPageDirective>)
                *out << "open(" << d.address << ")";
            else if constexpr (std::is_same_v<D, MessageDirective>)
                *out << "message(" << utf8FromGb(d.text) << ")";
            else if constexpr (std::is_same_v<D, BackgroundDirective>)
                *out << "background(" << d.colour.red << "," << d.colour.green << "," << d.colour.blue << ")";
            else if constexpr (std::is_same_v<D, VersionDirective>)
                *out << "version(" << d.latest << ")";
            else if constexpr (std::is_same_v<D, TextDirective>)
                *out << "text(" << d.x << "," << d.y << " rgb " << d.colour.red << "," << d.colour.green << ","
                     << d.colour.blue << " " << d.size << "pt bold=" << d.bold << " " << utf8FromGb(d.text) << ")";
            else if constexpr (std::is_same_v<D, LinkDirective>)
                *out << "link(" << d.x << "," << d.y << " w" << d.width << " " << utf8FromGb(d.caption) << " -> "
                     << d.address << ")";
            else if constexpr (std::is_same_v<D, PictureDirective>)
                *out << "picture(" << d.x << "," << d.y << " " << d.width << "x" << d.height << " " << d.address
                     << ")";
        },
        directive);
}

namespace {

using Directives = std::vector<NoticeDirective>;

// ---- the block ----

struct BlockCase {
    const char* name;
    std::string page;
    std::string block;
};

class DirectiveBlockTest : public ::testing::TestWithParam<BlockCase> {};

TEST_P(DirectiveBlockTest, CutsStripsTagsAndDecodesAmp)
{
    EXPECT_EQ(directiveBlock(GetParam().page), GetParam().block);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, DirectiveBlockTest,
    ::testing::Values(
        BlockCase{"BetweenTheFirstTwoDollars", "<p>intro $jiben[3.0]$ outro $x$</p>", "jiben[3.0]"},
        BlockCase{"NoDollars", "<html>nothing here</html>", ""},
        BlockCase{"OneDollar", "price: $5", ""},
        BlockCase{"EmptyPage", "", ""},
        BlockCase{"TagsGoWherever", "$a<b>b</b>c<br/>d<p class=\"x\">e$", "abcde"},
        BlockCase{"TagAcrossLines", "$a<span\r\nid=1>b$", "ab"},
        BlockCase{"TagHidingABracket", "$xinxi[a<]>b]$", "xinxi[ab]"},
        BlockCase{"UnclosedTagStays", "$a<b$", "a<b"},
        BlockCase{"AmpDecodedOnce", "$a&amp;b&amp;amp;c$", "a&b&amp;c"},
        BlockCase{"OtherEntitiesStay", "$&lt;b&gt;&quot;&nbsp;$", "&lt;b&gt;&quot;&nbsp;"},
        BlockCase{"AmpAfterTags", "$<i>&amp;</i>$", "&"},
        BlockCase{"ChineseKept", gb("$xinxi[<b>你好</b>世界]$"), gb("xinxi[你好世界]")},
        // A stray high byte pairs with the "$" behind it, which then is no marker.
        BlockCase{"OddByteSwallowsADollar", "\x80$a$b$", "b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DirectiveValue, RunsFromTheFirstKeyToTheNextBracket)
{
    EXPECT_EQ(directiveValue("jiben[3.0]xinxi[hi]", "jiben["), "3.0");
    EXPECT_EQ(directiveValue("jiben[3.0]xinxi[hi]", "xinxi["), "hi");
    EXPECT_EQ(directiveValue("xinxi[a]b]", "xinxi["), "a");
    EXPECT_EQ(directiveValue("xinxi[first]xinxi[second]", "xinxi["), "first");
    EXPECT_EQ(directiveValue("xinxi[]", "xinxi["), "");
    EXPECT_EQ(directiveValue("jiben[3.0]", "xinxi["), "");
    EXPECT_EQ(directiveValue("xinxi[no end", "xinxi["), "");
    // A key inside another value counts where it first occurs.
    EXPECT_EQ(directiveValue("xinxi[see wenben[ here]wenben[1#2#3#4#5#t]", "wenben["), " here");
    // "乚" ends in the byte of "]", which is no bracket inside the character.
    EXPECT_EQ(directiveValue(gb("xinxi[乚乚]"), "xinxi["), gb("乚乚"));
}

// ---- the directives ----

struct ParseCase {
    const char* name;
    std::string block;
    Directives directives;
};

class ParseDirectiveBlockTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseDirectiveBlockTest, GivesTypedDirectivesInTheirOrder)
{
    EXPECT_EQ(parseDirectiveBlock(GetParam().block), GetParam().directives);
}

const NoticeColour kRed{255, 0, 0};
const NoticeColour kBlack{0, 0, 0};

TextDirective text(int x, int y, const std::string& words, bool bold = true, NoticeColour colour = kRed, int size = 12)
{
    return TextDirective{x, y, colour, size, bold, words};
}

const std::string kEmptyValues = "wenben[]lianjie[]xinxi[]tupian[]hbfangwen[]tancu[]yanse[0]";

INSTANTIATE_TEST_SUITE_P(
    Blocks, ParseDirectiveBlockTest,
    ::testing::Values(
        ParseCase{"EmptyBlock", "", {BannerLinkDirective{}}},
        ParseCase{"VersionAndEmptyValues", "jiben[3.0]" + kEmptyValues,
                  {BannerLinkDirective{}, VersionDirective{"3.0"}}},
        ParseCase{"TheExampleBlock", "jiben[3.0]wenben[10#10#255#12#1#hello]lianjie[]xinxi[]tupian[]hbfangwen[]"
                                     "tancu[]yanse[0]",
                  {BannerLinkDirective{}, VersionDirective{"3.0"}, text(10, 10, "hello")}},
        ParseCase{"EveryKeyInReverse",
                  "yanse[16711680]tancu[http://h/t]hbfangwen[http://h/b]tupian[1#2#3#4#http://h/p.png]"
                  "xinxi[hi]lianjie[5#6#7#go#http://h/l]wenben[8#9#0#10#0#w]jiben[3.1#x#y#z]",
                  {BannerLinkDirective{"http://h/b"}, OpenPageDirective{"http://h/t"}, MessageDirective{"hi"},
                   BackgroundDirective{{0, 0, 255}}, VersionDirective{"3.1"}, text(8, 9, "w", false, kBlack, 10),
                   LinkDirective{5, 6, 7, "go", "http://h/l"}, PictureDirective{1, 2, 3, 4, "http://h/p.png"}}},
        ParseCase{"ListsKeepTheirOrder",
                  "wenben[1#1#0#9#0#a%2#2#0#9#0#b]lianjie[1#1#1#a#u1%2#2#2#b#u2]tupian[1#1#1#1#p1%2#2#2#2#p2]",
                  {BannerLinkDirective{}, text(1, 1, "a", false, kBlack, 9), text(2, 2, "b", false, kBlack, 9),
                   LinkDirective{1, 1, 1, "a", "u1"}, LinkDirective{2, 2, 2, "b", "u2"},
                   PictureDirective{1, 1, 1, 1, "p1"}, PictureDirective{2, 2, 2, 2, "p2"}}},
        ParseCase{"RepeatedKeyCountsOnce", "xinxi[one]xinxi[two]", {BannerLinkDirective{}, MessageDirective{"one"}}},
        // Items short of fields are left out, the others stay.
        ParseCase{"TextWithFiveFields", "wenben[1#2#3#4#5]", {BannerLinkDirective{}}},
        ParseCase{"TrailingSeparatorAddsNoField", "wenben[1#2#3#4#5#]", {BannerLinkDirective{}}},
        ParseCase{"EmptySixthField", "wenben[1#2#255#12#1##]", {BannerLinkDirective{}, text(1, 2, "")}},
        ParseCase{"ShortItemAmongGoodOnes", "wenben[1#2#255#12#1#a%1#2%3#4#255#12#1#b%%]",
                  {BannerLinkDirective{}, text(1, 2, "a"), text(3, 4, "b")}},
        ParseCase{"LinkWithFourFields", "lianjie[1#2#3#caption]", {BannerLinkDirective{}}},
        ParseCase{"PictureWithFourFields", "tupian[1#2#3#4]", {BannerLinkDirective{}}},
        ParseCase{"ExtraFieldsIgnored", "lianjie[1#2#3#c#u#more#more]tupian[1#2#3#4#u#x]",
                  {BannerLinkDirective{}, LinkDirective{1, 2, 3, "c", "u"}, PictureDirective{1, 2, 3, 4, "u"}}},
        ParseCase{"EmptyListItems", "lianjie[%]tupian[%%]", {BannerLinkDirective{}}},
        // Version
        ParseCase{"VersionFirstFieldOnly", "jiben[3.1#x#y#z]", {BannerLinkDirective{}, VersionDirective{"3.1"}}},
        ParseCase{"VersionKeepsItsSpace", "jiben[3.0 ]", {BannerLinkDirective{}, VersionDirective{"3.0 "}}},
        ParseCase{"EmptyVersion", "jiben[]", {BannerLinkDirective{}}},
        ParseCase{"EmptyFirstVersionField", "jiben[#3.1]", {BannerLinkDirective{}}},
        // Background
        ParseCase{"BackgroundZero", "yanse[0]", {BannerLinkDirective{}}},
        ParseCase{"BackgroundNotANumber", "yanse[red]", {BannerLinkDirective{}}},
        ParseCase{"BackgroundRed", "yanse[255]", {BannerLinkDirective{}, BackgroundDirective{kRed}}},
        ParseCase{"BackgroundBlackThroughHighBits", "yanse[16777216]",
                  {BannerLinkDirective{}, BackgroundDirective{kBlack}}},
        ParseCase{"BackgroundFullWidth", gb("yanse[２５５]"), {BannerLinkDirective{}, BackgroundDirective{kRed}}},
        // Bold field as a check box reads a flag
        ParseCase{"BoldSpacedZeroIsOff", "wenben[0#0#0#9# 0 #t]",
                  {BannerLinkDirective{}, text(0, 0, "t", false, kBlack, 9)}},
        ParseCase{"BoldZeroIsOff", "wenben[0#0#0#9#0#t]", {BannerLinkDirective{}, text(0, 0, "t", false, kBlack, 9)}},
        ParseCase{"BoldDoubleZeroIsOn", "wenben[0#0#0#9#00#t]",
                  {BannerLinkDirective{}, text(0, 0, "t", true, kBlack, 9)}},
        ParseCase{"BoldNoIsOn", "wenben[0#0#0#9#no#t]", {BannerLinkDirective{}, text(0, 0, "t", true, kBlack, 9)}},
        ParseCase{"BoldEmptyIsOn", "wenben[0#0#0#9##t]", {BannerLinkDirective{}, text(0, 0, "t", true, kBlack, 9)}},
        // Numbers in items
        ParseCase{"NumbersReadLoosely", gb("wenben[ １０.9#-3#２５５#12pt#1#t]"),
                  {BannerLinkDirective{}, text(10, -3, "t")}},
        ParseCase{"NumbersNotNumbers", "lianjie[x#y#z#c#u]", {BannerLinkDirective{}, LinkDirective{0, 0, 0, "c", "u"}}},
        // Values may hold anything but "]"
        ParseCase{"ChineseValues", gb("xinxi[新年快乐]lianjie[1#2#3#打开#http://h/?q=贴吧]"),
                  {BannerLinkDirective{}, MessageDirective{gb("新年快乐")},
                   LinkDirective{1, 2, 3, gb("打开"), gb("http://h/?q=贴吧")}}},
        ParseCase{"UnclosedValue", "xinxi[never closed", {BannerLinkDirective{}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseNotice, TagsAndEntitiesAreHandledBeforeTheValuesAreRead)
{
    EXPECT_EQ(parseNotice("<p>$xinxi[Hello<br>World]$</p>"),
              (Directives{BannerLinkDirective{}, MessageDirective{"HelloWorld"}}));
    EXPECT_EQ(parseNotice("$tancu[http://h/a?x=1&amp;y=2&lt;3]$"),
              (Directives{BannerLinkDirective{}, OpenPageDirective{"http://h/a?x=1&y=2&lt;3"}}));
    EXPECT_EQ(parseNotice("$hbfangwen[<a href=\"http://x/\">http://h/?a=1&amp;b=2</a>]$"),
              (Directives{BannerLinkDirective{"http://h/?a=1&b=2"}}));
    // A blog post breaks a long block over lines: the breaks stay in the values.
    EXPECT_EQ(parseNotice("$jiben[3.0]<br>\r\nwenben[<br>\r\n5#6#255#12#1#hi]$"),
              (Directives{BannerLinkDirective{}, VersionDirective{"3.0"}, text(5, 6, "hi")}));
}

TEST(ParseNotice, OddBytesNeverBreakTheParse)
{
    // Lone lead bytes, a cut four-byte character, NUL and bytes that are no text at all.
    const std::string pages[] = {std::string("$jiben[\x81]wenben[\xFF#\x80#\x81\x30#1#1#\xFE]$"),
                                 std::string("$xinxi[a\0b]$", 12), std::string("$\xFF\xFF\xFF$"),
                                 std::string("$wenben[1#2#3#4#5#\x81]$"), std::string(1000, '$'),
                                 std::string(1000, '<') + "$" + std::string(1000, '>')};
    for (const std::string& page : pages) {
        const Directives directives = parseNotice(page);
        ASSERT_FALSE(directives.empty());
        EXPECT_TRUE(std::holds_alternative<BannerLinkDirective>(directives.front()));
    }
    EXPECT_EQ(parseNotice(std::string("$xinxi[a\0b]$", 12)),
              (Directives{BannerLinkDirective{}, MessageDirective{std::string("a\0b", 3)}}));
}

} // namespace
} // namespace tieba
