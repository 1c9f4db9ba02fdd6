#include "web/text_helpers.h"

#include <gtest/gtest.h>

#include <stop_token>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "support/fake_waiter.h"

namespace tieba {
namespace {

// GB18030 characters whose second byte looks like ASCII: 癆 is B0 41 ("A"), 癮 is B0 61 ("a").
const std::string kLaoA = "\xB0\x41";
const std::string kYinA = "\xB0\x61";

struct SearchCase {
    const char* what;
    std::string text;
    std::string needle;
    long first;
    long last;
};

class SearchTest : public testing::TestWithParam<SearchCase> {};

TEST_P(SearchTest, FindsOnlyAtCharacterBoundaries)
{
    const SearchCase& c = GetParam();
    EXPECT_EQ(findFirst(c.text, c.needle), c.first) << c.what;
    EXPECT_EQ(findLast(c.text, c.needle), c.last) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchTest,
    testing::Values(SearchCase{"repeated ascii", "abcabc", "bc", 2, 5}, SearchCase{"absent", "abc", "x", -1, -1},
                    SearchCase{"empty needle", "abc", "", 1, 1}, SearchCase{"empty text", "", "", -1, -1},
                    SearchCase{"needle longer than text", "ab", "abc", -1, -1},
                    // 提交 is CC E1 BD BB: E1 BD spans the end of one character and the start of the next.
                    SearchCase{"across two characters", gb("提交"), "\xE1\xBD", -1, -1},
                    SearchCase{"second byte looks like a letter", "x" + kLaoA + "A", "A", 4, 4},
                    SearchCase{"whole two-byte characters", gb("签到签到x"), gb("签到"), 1, 5},
                    SearchCase{"two-byte then ascii", gb("签") + "=" + gb("到") + "=", "=", 3, 6}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(TextSlices, LeftRightMidClampToTheText)
{
    EXPECT_EQ(leftBytes("abcdef", 2), "ab");
    EXPECT_EQ(leftBytes("abc", 10), "abc");
    EXPECT_EQ(leftBytes("abc", 0), "");
    EXPECT_EQ(leftBytes("abc", -3), "");
    EXPECT_EQ(rightBytes("abcdef", 2), "ef");
    EXPECT_EQ(rightBytes("abc", 10), "abc");
    EXPECT_EQ(rightBytes("abc", -1), "");
    EXPECT_EQ(midBytes("abcdef", 2, 3), "bcd");
    EXPECT_EQ(midBytes("abcdef", 5, 100), "ef");
    EXPECT_EQ(midBytes("abcdef", 0, 3), "");
    EXPECT_EQ(midBytes("abcdef", 7, 3), "");
    EXPECT_EQ(midBytes("abcdef", 1, 0), "");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceAtCharacterBoundaries)
{
    EXPECT_EQ(replaceAll("/sign?a=1&amp;b=2&amp;c=3", "&amp;", "&"), "/sign?a=1&b=2&c=3");
    EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(replaceAll(kLaoA + "A", "A", "B"), kLaoA + "B");
}

struct CutCase {
    const char* what;
    std::string source;
    std::string left;
    std::string right;
    int mode;
    std::string expected;
};

class TextBetweenTest : public testing::TestWithParam<CutCase> {};

TEST_P(TextBetweenTest, Cuts)
{
    const CutCase& c = GetParam();
    std::string source = c.source;
    EXPECT_EQ(textBetween(source, c.left, c.right, c.mode), c.expected) << c.what;
    EXPECT_EQ(source, c.source);
}

const std::string kTwoLinks =
    "<a href=\"/f?kw=a\">a</a><a href=\"/sign?fid=1&amp;tbs=x\">" + gb("签到") + "</a><a href=\"/sign?fid=2\">" +
    gb("签到") + "</a><p>end</p>";

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    testing::Values(
        CutCase{"forward stops at the first right marker", "x[1]y]z", "[", "]", kForwardCut, "1"},
        CutCase{"backward uses the last right marker", "x[1]y]z", "[", "]", kBackwardCut, "1]y"},
        CutCase{"forward takes the first left marker", "<b>1</b><b>2</b>", "<b>", "</b>", kForwardCut, "1"},
        CutCase{"backward takes the last pair", "<b>1</b><b>2</b>", "<b>", "</b>", kBackwardCut, "2"},
        CutCase{"any mode other than 1 cuts backward", "<b>1</b><b>2</b>", "<b>", "</b>", 0, "2"},
        CutCase{"right absent, forward", "<b>1", "<b>", "</b>", kForwardCut, ""},
        CutCase{"right absent, backward", "<b>1", "<b>", "</b>", kBackwardCut, ""},
        CutCase{"left absent, forward", "1</b>", "<b>", "</b>", kForwardCut, ""},
        CutCase{"left absent, backward", "1</b>", "<b>", "</b>", kBackwardCut, ""},
        CutCase{"right before left only", "</b>1<b>", "<b>", "</b>", kForwardCut, ""},
        CutCase{"adjacent markers, forward", "a<b></b>c", "<b>", "</b>", kForwardCut, ""},
        CutCase{"adjacent markers, backward", "a<b></b>c", "<b>", "</b>", kBackwardCut, ""},
        CutCase{"left marker at the very end", "</b><b>", "<b>", "</b>", kForwardCut, ""},
        CutCase{"sign link of the last sign button", kTwoLinks, "href=\"", "\">" + gb("签到"), kBackwardCut,
                "/sign?fid=2"},
        CutCase{"first link", kTwoLinks, "href=\"", "\"", kForwardCut, "/f?kw=a"},
        CutCase{"two-byte text between", "un=" + gb("张三") + "\">", "un=", "\">", kForwardCut, gb("张三")},
        // The only "A" is the second byte of 癆, so the left marker is not there.
        CutCase{"marker inside a character", kLaoA + "1]", "A", "]", kForwardCut, ""}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(UrlEncode, EncodesUtf8BytesAndKeepsTheSafeSet)
{
    EXPECT_EQ(urlEncodeUtf8(gb("提交")), "%E6%8F%90%E4%BA%A4");
    EXPECT_EQ(urlEncodeUtf8("two words"), "two+words");
    EXPECT_EQ(urlEncodeUtf8("AZaz09-._"), "AZaz09-._");
    EXPECT_EQ(urlEncodeUtf8("~*/&=%+"), "%7E%2A%2F%26%3D%25%2B");
    EXPECT_EQ(urlEncodeUtf8(""), "");
}

TEST(UrlEncode, InvalidGbkGivesTheEmptyText)
{
    EXPECT_EQ(urlEncodeUtf8("ab\x81"), ""); // a lead byte without its partner
}

TEST(UrlDecode, DecodesPercentAndPlus)
{
    EXPECT_EQ(urlDecodeUtf8("%E6%8F%90%E4%BA%A4"), gb("提交"));
    EXPECT_EQ(urlDecodeUtf8("%e6%8f%90%e4%ba%a4"), gb("提交"));
    EXPECT_EQ(urlDecodeUtf8("a+b"), "a b");
    EXPECT_EQ(urlDecodeUtf8(""), "");
}

TEST(UrlDecode, PercentWithoutTwoHexDigitsIsKept)
{
    EXPECT_EQ(urlDecodeUtf8("100%"), "100%");
    EXPECT_EQ(urlDecodeUtf8("%4"), "%4");
    EXPECT_EQ(urlDecodeUtf8("%zz1"), "%zz1");
    EXPECT_EQ(urlDecodeUtf8("%%41"), "%A");
}

TEST(UrlDecode, InvalidUtf8GivesTheEmptyText)
{
    EXPECT_EQ(urlDecodeUtf8("%FF%FE"), "");
    EXPECT_EQ(urlDecodeUtf8("ok%E6%8F"), ""); // cut in the middle of a character
}

TEST(UrlDecode, DropsDecodedNulBytes)
{
    EXPECT_EQ(urlDecodeUtf8("a%00b"), "ab");
}

TEST(UrlDecode, RoundTripsEncodedTexts)
{
    const std::vector<std::string> texts{gb("我的i贴吧 test"), "a+b=c&d", gb("，空格　全角"), ""};
    for (const std::string& text : texts)
        EXPECT_EQ(urlDecodeUtf8(urlEncodeUtf8(text)), text);
}

TEST(WaitForText, EmptyVariableFailsAfterTwoChecksAndTwoWaits)
{
    test::FakeWaiter waiter;
    int reads = 0;
    EXPECT_FALSE(waitForText(
        [&] {
            ++reads;
            return std::string();
        },
        waiter));
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(waiter.waits(), (std::vector<int>{1000, 1000}));
}

TEST(WaitForText, FilledVariableSucceedsAtOnce)
{
    test::FakeWaiter waiter;
    Synchronized<std::string> variable(std::string("page"));
    EXPECT_TRUE(waitForText(variable, waiter));
    EXPECT_TRUE(waiter.waits().empty());
}

TEST(WaitForText, ReReadsTheVariableAfterAWait)
{
    Synchronized<std::string> variable;
    test::FakeWaiter waiter([&] { variable.set("filled meanwhile"); });
    EXPECT_TRUE(waitForText(variable, waiter));
    EXPECT_EQ(waiter.waits(), (std::vector<int>{1000}));
}

TEST(WaitForText, StopEndsTheWait)
{
    test::FakeWaiter waiter;
    std::stop_source stop;
    stop.request_stop();
    Synchronized<std::string> variable;
    EXPECT_FALSE(waitForText(variable, waiter, stop.get_token()));
    EXPECT_EQ(waiter.waits().size(), 1u);
}

TEST(CollectMatches, AppendsGroupOneOfEveryMatch)
{
    TextList found{"kept"};
    collectMatches("Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2;\r\n", "Set-Cookie: (.*?)=(.*?;)", found);
    EXPECT_EQ(found, (TextList{"kept", "a", "b"}));
}

TEST(CollectMatches, LazyDotRunsAcrossLineBreaks)
{
    TextList found;
    collectMatches("Set-Cookie: a=1\r\nX-Other: y;\r\n", "Set-Cookie: (.*?)=(.*?;)", found);
    EXPECT_EQ(found, (TextList{"a"}));
    found.clear();
    collectMatches("<b>one\r\ntwo</b><b>three</b>", "<b>(.*?)</b>", found);
    EXPECT_EQ(found, (TextList{"one\r\ntwo", "three"}));
}

TEST(CollectMatches, AnchorsMatchAtLineBreaks)
{
    TextList found;
    collectMatches("ab\ncd", "^(\\w+)$", found);
    EXPECT_EQ(found, (TextList{"ab", "cd"}));
}

TEST(CollectMatches, WorksOnGbkPages)
{
    TextList found;
    std::string page = "<a href=\"/m?kw=" + gb("贴吧") + "\">" + gb("贴吧") + "</a><a href=\"/m?kw=x&amp;y\">x</a>";
    collectMatches(page, "href=\"(.*?kw=.*?)\"", found);
    EXPECT_EQ(found, (TextList{"/m?kw=" + gb("贴吧"), "/m?kw=x&amp;y"}));
}

TEST(CollectMatches, GroupThatTookNoPartGivesTheEmptyText)
{
    TextList found;
    collectMatches("b", "(a)|b", found);
    EXPECT_EQ(found, (TextList{""}));
}

TEST(CollectMatches, BadPatternOrEmptyTextAppendsNothing)
{
    TextList found{"kept"};
    collectMatches("abc", "(unclosed", found);
    collectMatches("abc", "a{2,1}", found);
    collectMatches("", "(.*)", found);
    EXPECT_EQ(found, (TextList{"kept"}));
}

TEST(CollectMatches, RunawayBacktrackingAppendsNothing)
{
    TextList found{"kept"};
    collectMatches(std::string(40, 'x'), "((x+x+)+)y", found);
    EXPECT_EQ(found, (TextList{"kept"}));
}

} // namespace
} // namespace tieba
