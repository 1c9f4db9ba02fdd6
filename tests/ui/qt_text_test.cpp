#include "ui/qt_text.h"

#include <gtest/gtest.h>

namespace tieba {
namespace {

using namespace Qt::StringLiterals;

struct TextCase {
    const char* utf8;
};

class QtTextRoundTrip : public ::testing::TestWithParam<TextCase> {};

TEST_P(QtTextRoundTrip, ProgramTextSurvivesTheWidgets)
{
    const std::string program = gb(GetParam().utf8);
    EXPECT_EQ(toQt(program), QString::fromUtf8(GetParam().utf8));
    EXPECT_EQ(fromQt(toQt(program)), program);
}

INSTANTIATE_TEST_SUITE_P(Texts, QtTextRoundTrip,
                         ::testing::Values(TextCase{""}, TextCase{"plain ascii"}, TextCase{"签到成功,经验+6"},
                                           TextCase{"全角　空格，逗号"}, TextCase{"𠀀 outside the BMP"}));

TEST(QtText, MultiLineBoxesSpeakLfWhileTheProgramSpeaksCrLf)
{
    EXPECT_EQ(toQtLines(gb("甲\r\n乙\r\n")), u"甲\n乙\n"_s);
    EXPECT_EQ(fromQtLines(u"甲\n乙\n"_s), gb("甲\r\n乙\r\n"));
    EXPECT_EQ(fromQtLines(u"a\r\nb"_s), "a\r\nb");
}

TEST(QtText, BrokenBytesAreDroppedNotTheWholeText)
{
    // A lone lead byte (a page cut in the middle of a character) must not blank the caption.
    const std::string cut = gb("签到") + "\x81";
    EXPECT_EQ(toQt(cut), u"签到"_s);
}

} // namespace
} // namespace tieba
