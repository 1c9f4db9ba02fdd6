#include <fstream>

#include <gtest/gtest.h>

#include "core/encoding.h"
#include "fake_settings_controls.h"
#include "settings/pacing_settings.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

struct PacingCase {
    const char* name;
    const char* pauseMin; // raw decoded text of 间隔最短毫秒; nullptr: the key is absent
    int expectedPauseMin;
};

class PacingLoad : public testing::TestWithParam<PacingCase> {};

TEST_P(PacingLoad, AStoredBoundIsTakenOnlyWhenItIsAUsableNumber)
{
    std::string text = "[" + gb("节奏") + "]\r\n" + gb("间隔最长毫秒") + "=" + encodeStoredValue("3000") + "\r\n";
    if (GetParam().pauseMin)
        text += gb("间隔最短毫秒") + "=" + encodeStoredValue(GetParam().pauseMin) + "\r\n";
    const Pacing pacing = loadPacing(IniDocument(text));
    EXPECT_EQ(pacing.pauseMinMs, GetParam().expectedPauseMin);
    EXPECT_EQ(pacing.pauseMaxMs, 3000);
    EXPECT_EQ(pacing.restMinMs, Pacing{}.restMinMs); // absent: the default
}

INSTANTIATE_TEST_SUITE_P(Values, PacingLoad,
                         testing::Values(PacingCase{"absent", nullptr, 1500}, PacingCase{"zero", "0", 0},
                                         PacingCase{"plain", "800", 800}, PacingCase{"negative", "-5", 1500},
                                         PacingCase{"not_a_number", "soon", 1500},
                                         PacingCase{"trailing_text", "800ms", 1500},
                                         PacingCase{"over_an_hour", "3600001", 1500},
                                         PacingCase{"beyond_int", "99999999999", 1500}),
                         [](const testing::TestParamInfo<PacingCase>& info) { return std::string(info.param.name); });

TEST(PacingStore, ASavedPacingLoadsBackAndAFileWithoutItGivesTheDefaults)
{
    test::ScopedTempDir dir;
    test::FakeSettingsControls controls;
    SharedState first;
    loadDataFile(first, controls);
    EXPECT_EQ(first.pacing.get(), Pacing{});

    ASSERT_EQ(saveDataFile(first, controls), "");
    EXPECT_EQ(readProfileString(dataFilePath(), gb("节奏"), gb("间隔最短毫秒"), "<absent>"), "<absent>");

    first.pacing.set(Pacing{0, 0, 7000, 9000, 10});
    ASSERT_EQ(saveDataFile(first, controls), "");

    SharedState second;
    loadDataFile(second, controls);
    EXPECT_EQ(second.pacing.get(), (Pacing{0, 0, 7000, 9000, 10}));
}

} // namespace
} // namespace tieba
