#include <gtest/gtest.h>
#include <limits>

#include "core/encoding.h"
#include "notice/notice_fields.h"

namespace tieba {
namespace {

struct SplitCase {
    const char* text;
    TextList pieces;
};

class SplitNoticeListTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitNoticeListTest, SplitsAtTheSeparatorDroppingOneTrailingEmptyPiece)
{
    EXPECT_EQ(splitNoticeList(GetParam().text, '#'), GetParam().pieces) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Lists, SplitNoticeListTest,
                         ::testing::Values(SplitCase{"", {}}, SplitCase{"a", {"a"}}, SplitCase{"a#b", {"a", "b"}},
                                           SplitCase{"a#b#", {"a", "b"}}, SplitCase{"a##", {"a", ""}},
                                           SplitCase{"#", {""}}, SplitCase{"##", {"", ""}},
                                           SplitCase{"#a", {"", "a"}}, SplitCase{"a##b", {"a", "", "b"}},
                                           SplitCase{" # ", {" ", " "}}));

TEST(SplitNoticeList, KeepsChineseFieldsWhole)
{
    EXPECT_EQ(splitNoticeList(gb("你好#世界#"), '#'), (TextList{gb("你好"), gb("世界")}));
    EXPECT_EQ(splitNoticeList(gb("一%二"), '%'), (TextList{gb("一"), gb("二")}));
}

struct NumberCase {
    std::string text;
    long long value;
};

class NoticeNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NoticeNumberTest, ReadsTheLeadingDecimalNumberTruncated)
{
    EXPECT_EQ(noticeNumber(GetParam().text), GetParam().value) << utf8FromGb(GetParam().text);
}

constexpr long long kMax = std::numeric_limits<long long>::max();
constexpr long long kMin = std::numeric_limits<long long>::min();

INSTANTIATE_TEST_SUITE_P(
    Numbers, NoticeNumberTest,
    ::testing::Values(NumberCase{"12", 12}, NumberCase{"  12", 12}, NumberCase{"\r\n\t12", 12}, NumberCase{"12.9", 12},
                      NumberCase{"-12.9", -12}, NumberCase{"+7", 7}, NumberCase{"12abc", 12}, NumberCase{"12 34", 12},
                      NumberCase{"1,5", 1}, NumberCase{"5.", 5}, NumberCase{".5", 0}, NumberCase{"-.5", 0},
                      NumberCase{"1e3", 1000}, NumberCase{"2.5E2", 250}, NumberCase{"1e", 1}, NumberCase{"1e+", 1},
                      NumberCase{"16777215", 16777215}, NumberCase{"", 0}, NumberCase{"abc", 0},
                      NumberCase{"- 5", 0}, NumberCase{"0x10", 0}, NumberCase{"inf", 0}, NumberCase{"nan", 0},
                      NumberCase{".", 0}, NumberCase{"+", 0},
                      // full-width digits, signs, point and the ideographic space
                      NumberCase{gb("１２３"), 123}, NumberCase{gb("　１２"), 12}, NumberCase{gb("－５"), -5},
                      NumberCase{gb("１．９"), 1}, NumberCase{gb("１2３"), 123}, NumberCase{gb("十"), 0},
                      // beyond every range
                      NumberCase{"99999999999999999999", kMax}, NumberCase{"-99999999999999999999", kMin},
                      NumberCase{"1e400", kMax}, NumberCase{"-1e400", kMin}, NumberCase{"1e-400", 0},
                      NumberCase{"0.0001e400", kMax}, NumberCase{"1" + std::string(400, '0'), kMax},
                      NumberCase{"0." + std::string(400, '0') + "1", 0}, NumberCase{"1e999999999999999999", kMax},
                      // odd bytes: a lone lead byte, a cut four-byte character
                      NumberCase{"\x81", 0}, NumberCase{"\x81\x30", 0}, NumberCase{"\xA3", 0}));

TEST(NoticeInt, ClampsToTheRangeOfInt)
{
    EXPECT_EQ(noticeInt("3000000000"), std::numeric_limits<int>::max());
    EXPECT_EQ(noticeInt("-3000000000"), std::numeric_limits<int>::min());
    EXPECT_EQ(noticeInt("-17.9"), -17);
}

TEST(FoldFullWidth, FoldsFullWidthFormsAndKeepsEverythingElseWhole)
{
    EXPECT_EQ(foldFullWidth(gb("ａＢ１＃　x")), "aB1# x");
    EXPECT_EQ(foldFullWidth(gb("中文")), gb("中文"));
    // A four-byte character whose bytes look like a full-width form's are left alone.
    EXPECT_EQ(foldFullWidth("\x81\x30\xA3\xB1"), std::string("\x81\x30\xA3\xB1"));
    EXPECT_EQ(foldFullWidth("1\x81"), std::string("1\x81"));
}

struct ColourCase {
    long long number;
    NoticeColour colour;
};

class ColourFromNumberTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourFromNumberTest, ReadsTheWindowsLayout)
{
    const NoticeColour c = colourFromNumber(GetParam().number);
    EXPECT_EQ(c, GetParam().colour) << GetParam().number << " gave " << c.red << "," << c.green << "," << c.blue;
}

INSTANTIATE_TEST_SUITE_P(Colours, ColourFromNumberTest,
                         ::testing::Values(ColourCase{0, {0, 0, 0}}, ColourCase{255, {255, 0, 0}},
                                           ColourCase{65280, {0, 255, 0}}, ColourCase{16711680, {0, 0, 255}},
                                           ColourCase{0x123456, {0x56, 0x34, 0x12}},
                                           ColourCase{16777216, {0, 0, 0}}, ColourCase{-1, {255, 255, 255}}));

} // namespace
} // namespace tieba
