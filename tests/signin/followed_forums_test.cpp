#include <gtest/gtest.h>

#include "core/encoding.h"
#include "signin/followed_forums.h"
#include "signin/forum_list.h"
#include "signin/progress_bar.h"
#include "signin/sign_engine.h"

namespace tieba {
namespace {

TextList gbList(std::initializer_list<const char*> items)
{
    TextList list;
    for (const char* item : items)
        list.push_back(gb(item));
    return list;
}

const char* const kFollowedPage =
    "<html><a href=\"/m?kw=%E5%A4%96\">外</a>发言记录"
    "<a href=\"/m?kw=A&amp;lp=1\">A吧</a> 等级7</span> 经验值1234<br/>"
    "<a href=\"/m?kw=B&amp;lp=1\">B吧</a> 等级3</span> 经验值120<br/>"
    "<a href=\"/m?kw=C&amp;lp=1\">C吧</a> 等级1</span> 经验值5<br/></html>";

TEST(FollowedForums, ListsAreCollectedIndependently)
{
    const FollowedForums forums = collectFollowedForums(gb(kFollowedPage));
    // The anchor before "发言记录" gives a name but no link.
    EXPECT_EQ(forums.names, gbList({"外", "A吧", "B吧", "C吧"}));
    EXPECT_EQ(forums.links, (TextList{"/m?kw=A&amp;lp=1", "/m?kw=B&amp;lp=1", "/m?kw=C&amp;lp=1"}));
    EXPECT_EQ(forums.levels, gbList({"等级7", "等级3", "等级1"}));
    EXPECT_EQ(forums.experience, gbList({"经验值1234", "经验值120", "经验值5"}));
    EXPECT_TRUE(followsNoForum(gb("你暂未关注某个吧")));
}

TEST(FollowedForums, MarkerlessPagesGiveEmptyLists)
{
    for (const std::string& page : {std::string(), gb("<html>出错了</html>"), std::string("\xff\xfe\x80", 3)}) {
        const FollowedForums forums = collectFollowedForums(page);
        EXPECT_TRUE(forums.names.empty() && forums.links.empty() && forums.levels.empty() && forums.experience.empty());
    }
}

TEST(FollowedForums, ExclusionDropsEveryExactMatchFromAllLists)
{
    FollowedForums forums{gbList({"甲", "乙", "甲", "丙"}), {"l1", "l2", "l3", "l4"}, {"v1", "v2", "v3", "v4"},
                          {"e1", "e2", "e3", "e4"}};
    dropExcludedForums(forums, gbList({"甲", "乙 ", "", "丁"}));
    EXPECT_EQ(forums.names, gbList({"乙", "丙"}));
    EXPECT_EQ(forums.links, (TextList{"l2", "l4"}));
    EXPECT_EQ(forums.levels, (TextList{"v2", "v4"}));
    EXPECT_EQ(forums.experience, (TextList{"e2", "e4"}));
}

TEST(FollowedForums, ExclusionCopesWithShorterLists)
{
    FollowedForums forums{gbList({"甲", "乙"}), {"l1"}, {}, {"e1", "e2"}};
    dropExcludedForums(forums, gbList({"乙"}));
    EXPECT_EQ(forums.names, gbList({"甲"}));
    EXPECT_EQ(forums.links, (TextList{"l1"}));
    EXPECT_EQ(forums.experience, (TextList{"e1"}));
}

// One engine run's forum list, built from the page's four lists, after the "喜欢本吧" shifts
// at the given places.
struct ForumListCase {
    const char* name;
    FollowedForums found;
    std::vector<long> unlikedAt;
    long count;
    std::vector<Forum> entries; // entries 1.. as read; one more is read and must be empty
};

void PrintTo(const ForumListCase& c, std::ostream* out)
{
    *out << c.name;
}

class ForumListOf : public testing::TestWithParam<ForumListCase> {};

TEST_P(ForumListOf, ReadsEveryTextAtItsOwnPlace)
{
    ForumList forums(GetParam().found);
    for (long i : GetParam().unlikedAt)
        forums.insertEmptyStandingAt(i);
    EXPECT_EQ(forums.count(), GetParam().count);
    const std::vector<Forum>& expected = GetParam().entries;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(forums.at(static_cast<long>(i) + 1), expected[i]) << "entry " << i + 1;
    EXPECT_EQ(forums.at(static_cast<long>(expected.size()) + 1), Forum{});
    EXPECT_EQ(forums.at(0), Forum{});
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ForumListOf,
    testing::Values(
        ForumListCase{"Aligned", {{"A", "B"}, {"la", "lb"}, {"v1", "v2"}, {"e1", "e2"}}, {}, 2,
                      {{"A", "la", "v1", "e1"}, {"B", "lb", "v2", "e2"}}},
        // An anchor before "发言记录": one name more than links, so names run one place ahead.
        ForumListCase{"NameWithoutLink", {{"X", "A", "B"}, {"la", "lb"}, {"v1", "v2"}, {"e1", "e2"}}, {}, 2,
                      {{"X", "la", "v1", "e1"}, {"A", "lb", "v2", "e2"}, {"B", "", "", ""}}},
        ForumListCase{"ShorterStandings", {{"A", "B", "C"}, {"la", "lb", "lc"}, {"v1"}, {}}, {}, 3,
                      {{"A", "la", "v1", ""}, {"B", "lb", "", ""}, {"C", "lc", "", ""}}},
        // The first forum is not liked: the later forums show the standings one place back.
        ForumListCase{"UnlikedFirst", {{"A", "B"}, {"la", "lb"}, {"v1", "v2"}, {"e1", "e2"}}, {1}, 2,
                      {{"A", "la", "", ""}, {"B", "lb", "v1", "e1"}, {"", "", "v2", "e2"}}},
        ForumListCase{"UnlikedTwice", {{"A", "B", "C"}, {"la", "lb", "lc"}, {"v1", "v2", "v3"}, {"e1", "e2", "e3"}},
                      {1, 3}, 3,
                      {{"A", "la", "", ""}, {"B", "lb", "v1", "e1"}, {"C", "lc", "", ""}, {"", "", "v2", "e2"},
                       {"", "", "v3", "e3"}}},
        // Levels too short to reach the place are left alone; the experience list is long enough.
        ForumListCase{"UnlikedBeyondAShortList", {{"A", "B", "C"}, {"la", "lb", "lc"}, {"v1"}, {"e1", "e2"}}, {3},
                      3, {{"A", "la", "v1", "e1"}, {"B", "lb", "", "e2"}, {"C", "lc", "", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SignPage, TheLastSignLinkIsTakenAndDecoded)
{
    const std::string page =
        gb("<a href=\"/a\">签到规则</a><a href=\"/sign?kw=A&amp;tbs=1&amp;x=2\">签到</a> <a href=\"/b\">回</a>");
    EXPECT_EQ(signLinkOf(page), "/sign?kw=A&tbs=1&x=2");
    EXPECT_EQ(signLinkOf(gb("<p>已签到</p>")), "");
    EXPECT_EQ(signGainOf(gb("签到成功 经验值上升<span class=\"light\">6</span>")), "6");
}

TEST(SignPage, OnlyLinksOnTheForumsOwnSiteAreFollowed)
{
    const std::string site = "http://wapp.example.com";
    EXPECT_EQ(forumAddress(site, "/sign?kw=A&tbs=1"), site + "/sign?kw=A&tbs=1");
    EXPECT_EQ(forumAddress(site, ""), site);
    // Appended to the site these would name another host, which would receive the cookies.
    for (const char* link : {"@evil.example/x", ".evil.example/x", ":80@evil.example/", "http://evil.example/"})
        EXPECT_EQ(forumAddress(site, link), "") << link;
}

TEST(ProgressBar, ColumnsFollowTheFraction)
{
    struct Case {
        int done, total, fill;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{1, 3, 52}, Case{2, 3, 105}, Case{3, 3, 158}, Case{1, 1000, 0}}) {
        const ProgressBarDrawing bar = drawProgressBar(c.done, c.total);
        EXPECT_EQ(bar.fill, c.fill) << c.done << "/" << c.total;
        ASSERT_EQ(bar.columns.size(), 159u);
        EXPECT_EQ(bar.columns[0], ProgressColumn::Edge);
        EXPECT_EQ(bar.columns[158], ProgressColumn::Edge);
    }
    const ProgressBarDrawing third = drawProgressBar(1, 3);
    EXPECT_EQ(third.columns[1], ProgressColumn::Filled);
    EXPECT_EQ(third.columns[52], ProgressColumn::Filled);
    EXPECT_EQ(third.columns[53], ProgressColumn::Empty);
    EXPECT_EQ(third.columns[157], ProgressColumn::Empty);
}

} // namespace
} // namespace tieba
