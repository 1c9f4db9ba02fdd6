#include <gtest/gtest.h>

#include <random>
#include <stop_token>

#include "notice/tag_stripping.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

// The notice format's own wording of the stripping: collect every match of "(<.*?>)", then
// remove each collected text, every occurrence, one after the other. Quadratic, fine for tests.
std::string collectThenRemove(std::string_view block)
{
    std::string text(block);
    TextList tags;
    collectMatches(text, "(<.*?>)", tags);
    for (const std::string& tag : tags)
        text = replaceAll(text, tag, "");
    return text;
}

struct StripCase {
    const char* name;
    std::string block;
    std::string stripped;
};

class StripTagsTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripTagsTest, GivesWhatCollectingThenRemovingGives)
{
    EXPECT_EQ(collectThenRemove(GetParam().block), GetParam().stripped) << "the table itself is wrong";
    EXPECT_EQ(stripTags(GetParam().block), GetParam().stripped);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, StripTagsTest,
    ::testing::Values(
        StripCase{"NoTags", "jiben[3.0]a>b<c", "jiben[3.0]a>b<c"},
        StripCase{"PlainTags", "a<b>b</b>c<br/>", "abc"},
        StripCase{"NestedOpening", "x<<a>y", "xy"},
        // "<a>" goes first, also out of "<b<a>", which then is no longer there to remove.
        StripCase{"ShorterTagCutsALongerOne", "<a><b<a>x>", "<bx>"},
        // What that cut leaves joins "x>" into "<bx>", which the last tag removes.
        StripCase{"TagFormedByAJoin", "<a><b<a>x><bx>", ""},
        // One pass per tag: what a removal joins is not removed by the same pass.
        StripCase{"JoinWaitsForTheNextPass", "<1><<1>1>", "<1>"},
        StripCase{"RepeatedTagRemovesWhatAJoinMade", "<1><<1>1><1>", ""},
        StripCase{"ChainOfJoins", "<1><<<1>1>1><1><1>", ""},
        StripCase{"UnclosedTail", "a<b>c<d", "ac<d"},
        StripCase{"AmpIsNotTouched", "<i>&amp;</i>", "&amp;"},
        // A "<" on the second byte of a two-byte character starts no occurrence.
        StripCase{"OffABoundary", "\x81<a>", "\x81<a>"},
        StripCase{"OnABoundary", "\x81\x82<a>", "\x81\x82"},
        StripCase{"SameTagOnAndOffBoundaries", "\x81<a>x<a>", "\x81<a>x"},
        StripCase{"ChineseAroundTags", "\xC4\xE3<b>\xBA\xC3</b>", "\xC4\xE3\xBA\xC3"}),
    [](const auto& info) { return std::string(info.param.name); });

// Random blocks from a few bytes that make tags, joins and broken characters likely.
TEST(StripTags, AgreesWithCollectingThenRemovingOnRandomBlocks)
{
    std::mt19937 random(20241211);
    const std::string alphabet[] = {"<", "<", ">", ">", "a", "b", "\x81", "1"};
    for (int round = 0; round < 20000; ++round) {
        std::string block;
        const int length = static_cast<int>(random() % (round < 15000 ? 16 : 80));
        for (int i = 0; i < length; ++i)
            block += alphabet[random() % std::size(alphabet)];
        ASSERT_EQ(stripTags(block), collectThenRemove(block)) << "block: " << block;
    }
}

// Fronts full of "<" that a run of joins carries along, next to longer tags of many lengths.
TEST(StripTags, AgreesWithCollectingThenRemovingOnLongJoins)
{
    for (const int count : {1, 7, 60}) {
        const std::string openings(static_cast<size_t>(count), '<');
        std::string block = "<1>" + openings + "<1>";
        for (int i = 0; i < count; ++i)
            block += "1>";
        for (int i = 0; i < count; ++i)
            block += "<1>" + std::string(static_cast<size_t>(i % 9), '<') + "<1>";
        block += openings + "<1>";
        EXPECT_EQ(stripTags(block), collectThenRemove(block)) << count;
    }
}

TEST(StripTags, StopRequestGivesUp)
{
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(stripTags("a<b>c", stop.get_token()), "");
    EXPECT_EQ(stripTags("no tags", stop.get_token()), "no tags") << "nothing to give up";
}

} // namespace
} // namespace tieba
