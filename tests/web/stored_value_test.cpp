#include "web/stored_value.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/encoding.h"

namespace tieba {
namespace {

struct KnownValue {
    std::string text;
    std::string stored;
};

class KnownValueTest : public testing::TestWithParam<KnownValue> {};

TEST_P(KnownValueTest, EncodesAndDecodes)
{
    EXPECT_EQ(encodeStoredValue(GetParam().text), GetParam().stored);
    EXPECT_EQ(decodeStoredValue(GetParam().stored), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Examples, KnownValueTest,
                         testing::Values(KnownValue{"abc", "218+-100+217"}, KnownValue{"0", "116"},
                                         KnownValue{"1", "118"}, KnownValue{"3", "122"}, KnownValue{"", ""}));

TEST(CharCodes, AppendsSignedByteCodes)
{
    std::vector<int> codes{7};
    charCodes("a\x7F\x80\xFF", codes);
    EXPECT_EQ(codes, (std::vector<int>{7, 97, 127, -128, -1}));
}

TEST(StoredValue, EncodingIsDigitsSignsAndPlusOnly)
{
    std::string stored = encodeStoredValue(gb("密码 pass=word;\r\n"));
    EXPECT_EQ(stored.find_first_not_of("0123456789+-"), std::string::npos) << stored;
}

TEST(StoredValue, RoundTripsRandomTextsWithoutNul)
{
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(0, 80);
    for (int round = 0; round < 2000; ++round) {
        std::string text(static_cast<size_t>(length(random)), ' ');
        for (char& c : text)
            c = static_cast<char>(byte(random));
        ASSERT_EQ(decodeStoredValue(encodeStoredValue(text)), text) << "round " << round;
    }
}

TEST(StoredValue, RoundTripsLongTextsWhoseChainGrows)
{
    // Alternating extreme codes make every number of the chain larger than the one before.
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text.push_back(i % 2 ? '\x7F' : '\x80');
    EXPECT_EQ(decodeStoredValue(encodeStoredValue(text)), text);
    const std::string chinese = gb("签到成功，经验值上升");
    EXPECT_EQ(decodeStoredValue(encodeStoredValue(chinese)), chinese);
}

struct GarbageCase {
    const char* what;
    std::string stored;
    std::string sameAs; // a clean stored text that must decode the same
};

class GarbageTest : public testing::TestWithParam<GarbageCase> {};

TEST_P(GarbageTest, UnreadableItemsCountAsZero)
{
    EXPECT_EQ(decodeStoredValue(GetParam().stored), decodeStoredValue(GetParam().sameAs)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GarbageTest,
    testing::Values(GarbageCase{"words", "abc+116", "0+116"}, GarbageCase{"empty items", "+116+", "0+116+0"},
                    GarbageCase{"lone minus", "-+116", "0+116"},
                    GarbageCase{"too large for 64 bits", "99999999999999999999999+116", "0+116"},
                    GarbageCase{"too small for 64 bits", "-99999999999999999999999+116", "0+116"},
                    GarbageCase{"trailing junk after digits", "116abc", "116"},
                    GarbageCase{"leading blanks", " 116", "116"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(StoredValue, ExtremeNumbersDecodeWithoutOverflow)
{
    // (min - 20) / 2 and max + max - 20 leave the 64-bit range; only their low bytes count.
    EXPECT_EQ(decodeStoredValue("-9223372036854775808"), "\xF6");
    EXPECT_EQ(decodeStoredValue("9223372036854775807+9223372036854775807"), "\xEA\xF5");
}

TEST(StoredValue, CodeZeroContributesNothing)
{
    EXPECT_EQ(decodeStoredValue("20"), "");
    EXPECT_EQ(decodeStoredValue("20+0"), "");
}

TEST(StoredValue, CutValueStillDecodes)
{
    std::string stored = encodeStoredValue(std::string(5000, 'x'));
    std::string cut = stored.substr(0, 10239);
    EXPECT_LT(decodeStoredValue(cut).size(), 5000u);
}

} // namespace
} // namespace tieba
